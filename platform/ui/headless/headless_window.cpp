#include "platform/ui/headless/headless_window.h"

#include <mutex>

#include "platform/ui/headless/headless_backend.h"

namespace kt73b::ui {

// Every call runs on the dialog's thread; the back end's mutex orders it with the tests that read
// the same state.
HeadlessWindow::HeadlessWindow(HeadlessBackend& backend, const res::DialogTemplate& layout)
    : RecordedWindow(layout, &backend.mutex_, true),
      templateId(layout.id),
      title(layout.caption),
      backend_(backend) {}

void HeadlessWindow::Changed() {
    backend_.NotifyChanged();
}

void HeadlessWindow::SetTitle(std::string_view text) {
    const auto lock = Guard();
    title = text;
    Changed();
}

void HeadlessWindow::AppendSystemMenuEntry(unsigned command, std::string_view text) {
    const auto lock = Guard();
    systemMenu.emplace_back(0u, std::string());  // the separator
    systemMenu.emplace_back(command, std::string(text));
    Changed();
}

int HeadlessWindow::ShowMessageBox(std::string_view text, std::string_view caption, unsigned type) {
    return backend_.ShowBox(text, caption, type, templateId);
}

void HeadlessWindow::EndDialog(int code) {
    const auto lock = Guard();
    ended = true;
    result = code;
    Changed();
}

}  // namespace kt73b::ui
