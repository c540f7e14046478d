// A window of a back end that draws nothing (the terminal's, the headless tests'): every control's
// state as the dialog's calls left it, kept where the back end and its readers find it.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ui/window_host.h"
#include "resources/ui/ui_resources.h"

namespace kt73b::ui {

struct RecordedControl {
    std::string className;
    std::string text;
    std::vector<std::string> textHistory;  // every text set, in order, where the window keeps it
    bool enabled = true;
    std::vector<std::string> items;
    int selection = -1;
    int rangeLow = 0;
    int rangeHigh = 100;
    int position = 0;
};

class RecordedWindow : public WindowHost {
  public:
    // `mutex`, if any, is held around every access, for readers on other threads.
    RecordedWindow(const res::DialogTemplate& layout, std::mutex* mutex, bool keepTextHistory);

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

    // By id; static texts (-1) are not kept. Under the mutex, if the window has one.
    std::map<int, RecordedControl> controls;

  protected:
    std::unique_lock<std::mutex> Guard() const;
    // After each change, under the mutex.
    virtual void Changed() {}

  private:
    const RecordedControl* Find(int id) const;
    template <class Change>
    void Apply(int id, const Change& change);

    std::mutex* const mutex_;
    const bool keepTextHistory_;
};

}  // namespace kt73b::ui
