// One window of the headless back end: it keeps every control's state (and the history of each
// control's texts) where tests can read it.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/ui/recorded_window.h"
#include "resources/ui/ui_resources.h"

namespace kt73b::ui {

class HeadlessBackend;

using HeadlessControl = RecordedControl;

struct HeadlessMessageBox {
    std::string text;
    std::string caption;
    unsigned type = 0;
    int ownerTemplate = 0;  // 0: no owner
};

class HeadlessWindow final : public RecordedWindow {
  public:
    HeadlessWindow(HeadlessBackend& backend, const res::DialogTemplate& layout);

    void SetTitle(std::string_view title) override;
    void AppendSystemMenuEntry(unsigned command, std::string_view text) override;
    int ShowMessageBox(std::string_view text, std::string_view caption, unsigned type) override;
    void EndDialog(int result) override;

    // Read by the back end under its mutex, as are the controls.
    int templateId;
    std::string title;
    std::vector<std::pair<unsigned, std::string>> systemMenu;
    bool ended = false;
    int result = 0;
    bool messageBoxOpen = false;

  private:
    void Changed() override;

    HeadlessBackend& backend_;
};

}  // namespace kt73b::ui
