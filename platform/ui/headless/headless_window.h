// One window of the headless back end: it keeps every control's state (and the history of each
// control's texts) where tests can read it.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/ui/window_host.h"
#include "resources/ui/ui_resources.h"

namespace kt73b::ui {

class HeadlessBackend;

struct HeadlessControl {
    std::string className;
    std::string text;
    std::vector<std::string> textHistory;  // every text set, in order
    bool enabled = true;
    std::vector<std::string> items;
    int selection = -1;
    int rangeLow = 0;
    int rangeHigh = 100;
    int position = 0;
};

struct HeadlessMessageBox {
    std::string text;
    std::string caption;
    unsigned type = 0;
    int ownerTemplate = 0;  // 0: no owner
};

class HeadlessWindow : public WindowHost {
  public:
    HeadlessWindow(HeadlessBackend& backend, const res::DialogTemplate& layout);

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

    // Read by the back end under its mutex.
    int templateId;
    std::string title;
    std::map<int, HeadlessControl> controls;  // by id; static texts (-1) are not kept
    std::vector<std::pair<unsigned, std::string>> systemMenu;
    bool ended = false;
    int result = 0;
    bool messageBoxOpen = false;

  private:
    HeadlessControl& At(int id);
    const HeadlessControl* Find(int id) const;

    HeadlessBackend& backend_;
};

}  // namespace kt73b::ui
