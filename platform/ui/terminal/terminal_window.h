// One window of the terminal back end: the state of every control, kept for the program to read
// (there is nothing to draw). Used on the dialog's thread only.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/recorded_window.h"
#include "resources/ui/ui_resources.h"

namespace kt73b::ui {

class TerminalBackend;

class TerminalWindow final : public RecordedWindow {
  public:
    TerminalWindow(TerminalBackend& backend, const res::DialogTemplate& layout);

    void SetTitle(std::string_view title) override;
    void AppendSystemMenuEntry(unsigned command, std::string_view text) override;
    int ShowMessageBox(std::string_view text, std::string_view caption, unsigned type) override;
    void EndDialog(int result) override;

    const std::string& Title() const { return title_; }
    bool Ended() const { return ended_; }
    int Result() const { return result_; }

  private:
    TerminalBackend& backend_;
    std::string title_;
    bool ended_ = false;
    int result_ = 0;
};

}  // namespace kt73b::ui
