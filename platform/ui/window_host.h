// What a user-interface back end does for one dialog window. Every call is made on the dialog's
// thread; the Dialog class carries calls from other threads there.
#pragma once

#include <string>
#include <string_view>

#include "resources/ui/ui_resources.h"

namespace kt73b::ui {

inline constexpr unsigned kMbOk = 0x0000;
inline constexpr unsigned kMbIconError = 0x0010;
// The buttons' ids are the dialog templates'.
using res::kIdCancel;
using res::kIdOk;

class WindowHost {
  public:
    virtual ~WindowHost() = default;

    virtual void SetControlText(int id, std::string_view text) = 0;
    virtual std::string ControlText(int id) const = 0;
    virtual void EnableControl(int id, bool enable) = 0;
    virtual bool IsControlEnabled(int id) const = 0;

    virtual void ResetList(int id) = 0;
    virtual void AddListItem(int id, std::string_view text) = 0;
    virtual int ListCount(int id) const = 0;
    virtual std::string ListItem(int id, int index) const = 0;
    virtual void SetListSelection(int id, int index) = 0;  // -1 clears it
    virtual int ListSelection(int id) const = 0;           // -1 when nothing is selected

    virtual void SetProgressRange(int id, int low, int high) = 0;
    virtual void SetProgressPosition(int id, int position) = 0;

    virtual void SetTitle(std::string_view title) = 0;
    // Adds a separator and the entry to the window menu (or where the desktop offers one).
    virtual void AppendSystemMenuEntry(unsigned command, std::string_view text) = 0;
    // A modal box owned by this window; returns the button pressed.
    virtual int ShowMessageBox(std::string_view text, std::string_view caption, unsigned type) = 0;
    // Ends the window's modal loop with `result`.
    virtual void EndDialog(int result) = 0;
};

}  // namespace kt73b::ui
