// The terminal user-interface back end: real modal loops on the thread that calls DoModal and no
// window at all. A TerminalSession acts for the user and reports what the controls show; message
// boxes go to the session and count as dismissed at once.
#pragma once

#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/ui/backend.h"
#include "platform/ui/terminal/terminal_session.h"

namespace kt73b::ui {

class TerminalBackend final : public Backend {
  public:
    explicit TerminalBackend(TerminalSession& session) : session_(session) {}

    int RunModal(Dialog& dialog) override;
    void WakeDialogThread() override;
    int ShowMessageBox(std::string_view text, std::string_view caption, unsigned type) override;

    // From any thread (a thread that waits for Ctrl-C): the session hears of it on the dialog's
    // thread, with the innermost open dialog.
    void Interrupt();

  private:
    // Blocks until another thread has queued a call or Interrupt was called; true for the latter.
    bool WaitForWake();

    TerminalSession& session_;
    std::mutex mutex_;
    std::condition_variable wake_;  // the dialog's thread waits here
    // Both under mutex_: set by any thread, taken by the dialog's thread in WaitForWake.
    bool woken_ = false;
    bool interrupted_ = false;
    std::vector<Dialog*> live_;  // open dialogs, innermost last; the dialog's thread only
};

}  // namespace kt73b::ui
