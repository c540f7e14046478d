// One dialog window of the Win32 back end: the control calls of the dialog framework on the
// window's controls, and the window messages turned into the dialog's handlers.
#pragma once

#include <string>

#include "platform/ui/dialog.h"
#include "platform/ui/win32/win32_backend.h"
#include "platform/ui/win32/windows_api.h"
#include "platform/ui/window_host.h"

namespace kt73b::ui {

class Win32Window final : public WindowHost {
  public:
    Win32Window(Win32Backend& backend, Dialog& dialog) : backend_(backend), dialog_(dialog) {}

    // From the dialog procedure, on the dialog's thread.
    bool OnInitDialog(HWND window);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void SetControlText(int id, std::string_view text) override;
    std::string ControlText(int id) const override;
    void EnableControl(int id, bool enable) override;
    bool IsControlEnabled(int id) const override;
    void ResetList(int id) override;
    void AddListItem(int id, std::string_view text) override;
    int ListCount(int id) const override;
    std::string ListItem(int id, int index) const override;
    void SetListSelection(int id, int index) override;
    int ListSelection(int id) const override;
    void SetProgressRange(int id, int low, int high) override;
    void SetProgressPosition(int id, int position) override;
    void SetTitle(std::string_view title) override;
    void AppendSystemMenuEntry(unsigned command, std::string_view text) override;
    int ShowMessageBox(std::string_view text, std::string_view caption, unsigned type) override;
    void EndDialog(int result) override;

  private:
    LRESULT SendToControl(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    void OnDestroy();

    Win32Backend& backend_;
    Dialog& dialog_;
    // Set by OnInitDialog and cleared by OnDestroy, both on the dialog's thread, the only thread
    // that uses them.
    HWND window_ = nullptr;
    HICON icon_ = nullptr;
};

}  // namespace kt73b::ui
