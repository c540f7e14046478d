#include "platform/ui/headless/headless_window.h"

#include <mutex>

#include "platform/ui/headless/headless_backend.h"

namespace kt73b::ui {

HeadlessWindow::HeadlessWindow(HeadlessBackend& backend, const res::DialogTemplate& layout)
    : templateId(layout.id), title(layout.caption), backend_(backend) {
    for (const res::ControlTemplate& control : layout.controls) {
        if (control.id == IDC_STATIC_TEXT)
            continue;
        HeadlessControl& state = controls[control.id];
        state.className = control.className;
        state.text = control.text;
    }
}

// Every accessor below runs on the dialog's thread; the back end's mutex orders it with the
// tests that read the same state.

HeadlessControl& HeadlessWindow::At(int id) {
    return controls[id];
}

const HeadlessControl* HeadlessWindow::Find(int id) const {
    const auto found = controls.find(id);
    return found == controls.end() ? nullptr : &found->second;
}

void HeadlessWindow::SetControlText(int id, std::string_view text) {
    std::lock_guard lock(backend_.mutex_);
    HeadlessControl& control = At(id);
    control.text = text;
    control.textHistory.emplace_back(text);
    backend_.NotifyChanged();
}

std::string HeadlessWindow::ControlText(int id) const {
    std::lock_guard lock(backend_.mutex_);
    const HeadlessControl* control = Find(id);
    return control != nullptr ? control->text : std::string();
}

void HeadlessWindow::EnableControl(int id, bool enable) {
    std::lock_guard lock(backend_.mutex_);
    At(id).enabled = enable;
    backend_.NotifyChanged();
}

bool HeadlessWindow::IsControlEnabled(int id) const {
    std::lock_guard lock(backend_.mutex_);
    const HeadlessControl* control = Find(id);
    return control != nullptr && control->enabled;
}

void HeadlessWindow::ResetList(int id) {
    std::lock_guard lock(backend_.mutex_);
    At(id).items.clear();
    At(id).selection = -1;
    backend_.NotifyChanged();
}

void HeadlessWindow::AddListItem(int id, std::string_view text) {
    std::lock_guard lock(backend_.mutex_);
    At(id).items.emplace_back(text);
    backend_.NotifyChanged();
}

int HeadlessWindow::ListCount(int id) const {
    std::lock_guard lock(backend_.mutex_);
    const HeadlessControl* control = Find(id);
    return control != nullptr ? static_cast<int>(control->items.size()) : 0;
}

std::string HeadlessWindow::ListItem(int id, int index) const {
    std::lock_guard lock(backend_.mutex_);
    const HeadlessControl* control = Find(id);
    if (control == nullptr || index < 0 || index >= static_cast<int>(control->items.size())) {
        return {};
    }
    return control->items[static_cast<std::size_t>(index)];
}

void HeadlessWindow::SetListSelection(int id, int index) {
    std::lock_guard lock(backend_.mutex_);
    HeadlessControl& control = At(id);
    control.selection = index >= 0 && index < static_cast<int>(control.items.size()) ? index : -1;
    backend_.NotifyChanged();
}

int HeadlessWindow::ListSelection(int id) const {
    std::lock_guard lock(backend_.mutex_);
    const HeadlessControl* control = Find(id);
    return control != nullptr ? control->selection : -1;
}

void HeadlessWindow::SetProgressRange(int id, int low, int high) {
    std::lock_guard lock(backend_.mutex_);
    At(id).rangeLow = low;
    At(id).rangeHigh = high;
    backend_.NotifyChanged();
}

void HeadlessWindow::SetProgressPosition(int id, int position) {
    std::lock_guard lock(backend_.mutex_);
    At(id).position = position;
    backend_.NotifyChanged();
}

void HeadlessWindow::SetTitle(std::string_view text) {
    std::lock_guard lock(backend_.mutex_);
    title = text;
    backend_.NotifyChanged();
}

void HeadlessWindow::AppendSystemMenuEntry(unsigned command, std::string_view text) {
    std::lock_guard lock(backend_.mutex_);
    systemMenu.emplace_back(0u, std::string());  // the separator
    systemMenu.emplace_back(command, std::string(text));
    backend_.NotifyChanged();
}

int HeadlessWindow::ShowMessageBox(std::string_view text, std::string_view caption, unsigned type) {
    return backend_.ShowBox(text, caption, type, templateId);
}

void HeadlessWindow::EndDialog(int code) {
    std::lock_guard lock(backend_.mutex_);
    ended = true;
    result = code;
    backend_.NotifyChanged();
}

}  // namespace kt73b::ui
