// The headless user-interface back end: real modal loops on the thread that calls DoModal, no
// display. Tests click, press keys, script message boxes and read every control's state.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/ui/backend.h"
#include "platform/ui/headless/headless_window.h"

namespace kt73b::ui {

class HeadlessBackend : public Backend {
  public:
    enum class BoxPolicy { kDismissAtOnce, kHoldUntilDismissed };

    int RunModal(Dialog& dialog) override;
    void WakeDialogThread() override;
    int ShowMessageBox(std::string_view text, std::string_view caption, unsigned type) override;

    // Test side: any thread. Actions run on the dialog's thread, in order, as a user's would.
    void Click(int templateId, int controlId);  // dropped when disabled, covered or boxed in
    void SysCommand(int templateId, unsigned command);
    void SelectListItem(int templateId, int listId, int index);  // the user picks an entry
    void PressEscape(int templateId);  // IDCANCEL, as Escape and the close box send it
    void CloseWindow(int templateId);  // the window goes, dismissing an open message box first
    void SetBoxPolicy(BoxPolicy policy);
    void DismissMessageBox();

    // Waits until `predicate(*this)` holds, checked under the back end's lock after each change.
    bool WaitUntil(const std::function<bool(const HeadlessBackend&)>& predicate,
                   std::chrono::milliseconds timeout);

    // Readers: call under WaitUntil's predicate or through these copies.
    std::optional<HeadlessControl> ControlState(int templateId, int controlId) const;
    std::vector<HeadlessMessageBox> MessageBoxes() const;
    std::optional<std::string> Title(int templateId) const;
    std::vector<std::pair<unsigned, std::string>> SystemMenu(int templateId) const;
    bool IsOpen(int templateId) const;

    // For predicates (lock already held by WaitUntil).
    const HeadlessWindow* FindWindowLocked(int templateId) const;
    const std::vector<HeadlessMessageBox>& BoxesLocked() const { return boxes_; }

  private:
    friend class HeadlessWindow;

    struct Live {
        Dialog* dialog;
        HeadlessWindow* window;
    };

    void Post(std::function<void()> action);
    void RunLoopUntil(const std::function<bool()>& done);
    int ShowBox(std::string_view text, std::string_view caption, unsigned type, int owner);
    HeadlessWindow* TopWindowLocked();
    Live* FindLiveLocked(int templateId);
    void NotifyChanged() { changed_.notify_all(); }

    mutable std::mutex mutex_;
    std::condition_variable wake_;     // the dialog thread waits here for actions and calls
    std::condition_variable changed_;  // tests wait here for state changes
    bool woken_ = false;               // set by any thread, cleared by the dialog thread
    std::deque<std::function<void()>> actions_;  // from tests, run on the dialog thread
    std::vector<Live> live_;                     // open windows, innermost last
    std::vector<HeadlessMessageBox> boxes_;      // every box shown, in order
    BoxPolicy policy_ = BoxPolicy::kDismissAtOnce;
    int openBoxes_ = 0;
    bool dismissRequested_ = false;
};

}  // namespace kt73b::ui
