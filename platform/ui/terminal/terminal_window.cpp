#include "platform/ui/terminal/terminal_window.h"

#include "platform/ui/terminal/terminal_backend.h"

namespace kt73b::ui {

// Only the dialog's thread touches it, and the texts the dialog set are not kept: the program
// follows the run through its events.
TerminalWindow::TerminalWindow(TerminalBackend& backend, const res::DialogTemplate& layout)
    : RecordedWindow(layout, nullptr, false), backend_(backend), title_(layout.caption) {}

void TerminalWindow::SetTitle(std::string_view title) {
    title_ = title;
}

// A terminal has no window menu; the entry has nowhere to go.
void TerminalWindow::AppendSystemMenuEntry(unsigned, std::string_view) {}

int TerminalWindow::ShowMessageBox(std::string_view text, std::string_view caption, unsigned type) {
    return backend_.ShowMessageBox(text, caption, type);
}

void TerminalWindow::EndDialog(int result) {
    ended_ = true;
    result_ = result;
}

}  // namespace kt73b::ui
