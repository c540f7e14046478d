// The wxWidgets back end: each dialog a wxDialog built from its template, run with ShowModal on
// the GUI thread; calls from other threads reach it as events queued to the wx application.
#pragma once

#include <atomic>
#include <string_view>
#include <vector>

#include "platform/ui/backend.h"

class wxGenericMessageDialog;
class wxWindow;

namespace kt73b::ui {

class WxDialogWindow;

class WxBackend final : public Backend {
  public:
    // Needs a running wx application (wxTheApp) on the thread that calls RunModal.
    int RunModal(Dialog& dialog) override;
    void WakeDialogThread() override;
    int ShowMessageBox(std::string_view text, std::string_view caption, unsigned type) override;

    // A modal box owned by `owner` (none when null), on the GUI thread.
    int ShowBox(wxWindow* owner, std::string_view text, std::string_view caption, unsigned type);

    // GUI thread only: the innermost open window of `templateId` and the innermost open box, or
    // null; for tests that look at what a person would see.
    WxDialogWindow* FindWindow(int templateId) const;
    wxGenericMessageDialog* OpenMessageBox() const { return openBox_; }

  private:
    struct Live {
        Dialog* dialog;
        WxDialogWindow* window;
    };

    void RunPendingCalls();
    wxWindow* InnermostWindow() const;

    std::vector<Live> live_;  // open windows, innermost last; GUI thread only
    // Set by the thread that queues a wake-up event, cleared by the GUI thread before it runs the
    // calls, so that one wake-up at a time waits in wx's queue.
    std::atomic<bool> wakeQueued_{false};
    wxGenericMessageDialog* openBox_ = nullptr;  // GUI thread only
};

}  // namespace kt73b::ui
