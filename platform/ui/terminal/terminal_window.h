// One window of the terminal back end: the state of every control, kept for the program to read
// (there is nothing to draw). Used on the dialog's thread only.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/ui/window_host.h"
#include "resources/ui/ui_resources.h"

namespace kt73b::ui {

class TerminalBackend;

struct TerminalControl {
    std::string text;
    unsigned textSets = 0;  // how often a text was set, the same text again included
    bool enabled = true;
    std::vector<std::string> items;
    int selection = -1;
    int rangeLow = 0;
    int rangeHigh = 100;
    int position = 0;
};

class TerminalWindow final : public WindowHost {
  public:
    TerminalWindow(TerminalBackend& backend, const res::DialogTemplate& layout);

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

    // A control's whole state (null for an unknown id), for the program that reads it.
    const TerminalControl* Find(int id) const;
    const std::string& Title() const { return title_; }
    bool Ended() const { return ended_; }
    int Result() const { return result_; }

  private:
    TerminalControl& At(int id) { return controls_[id]; }

    TerminalBackend& backend_;
    std::map<int, TerminalControl> controls_;  // by id; static texts (-1) are not kept
    std::string title_;
    bool ended_ = false;
    int result_ = 0;
};

}  // namespace kt73b::ui
