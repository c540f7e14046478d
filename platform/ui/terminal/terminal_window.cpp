#include "platform/ui/terminal/terminal_window.h"

#include "platform/ui/terminal/terminal_backend.h"

namespace kt73b::ui {

TerminalWindow::TerminalWindow(TerminalBackend& backend, const res::DialogTemplate& layout)
    : backend_(backend), title_(layout.caption) {
    for (const res::ControlTemplate& control : layout.controls) {
        if (control.id != IDC_STATIC_TEXT)
            controls_[control.id].text = control.text;
    }
}

const TerminalControl* TerminalWindow::Find(int id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : &found->second;
}

void TerminalWindow::SetControlText(int id, std::string_view text) {
    At(id).text = text;
    ++At(id).textSets;
}

std::string TerminalWindow::ControlText(int id) const {
    const TerminalControl* control = Find(id);
    return control != nullptr ? control->text : std::string();
}

void TerminalWindow::EnableControl(int id, bool enable) {
    At(id).enabled = enable;
}

bool TerminalWindow::IsControlEnabled(int id) const {
    const TerminalControl* control = Find(id);
    return control != nullptr && control->enabled;
}

void TerminalWindow::ResetList(int id) {
    At(id).items.clear();
    At(id).selection = -1;
}

void TerminalWindow::AddListItem(int id, std::string_view text) {
    At(id).items.emplace_back(text);
}

int TerminalWindow::ListCount(int id) const {
    const TerminalControl* control = Find(id);
    return control != nullptr ? static_cast<int>(control->items.size()) : 0;
}

std::string TerminalWindow::ListItem(int id, int index) const {
    const TerminalControl* control = Find(id);
    if (control == nullptr || index < 0 || index >= static_cast<int>(control->items.size()))
        return {};
    return control->items[static_cast<std::size_t>(index)];
}

void TerminalWindow::SetListSelection(int id, int index) {
    TerminalControl& control = At(id);
    control.selection = index >= 0 && index < static_cast<int>(control.items.size()) ? index : -1;
}

int TerminalWindow::ListSelection(int id) const {
    const TerminalControl* control = Find(id);
    return control != nullptr ? control->selection : -1;
}

void TerminalWindow::SetProgressRange(int id, int low, int high) {
    At(id).rangeLow = low;
    At(id).rangeHigh = high;
}

void TerminalWindow::SetProgressPosition(int id, int position) {
    At(id).position = position;
}

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
