#include "platform/ui/terminal/terminal_backend.h"

#include <algorithm>
#include <utility>

#include "platform/ui/terminal/terminal_window.h"

namespace kt73b::ui {

int TerminalBackend::RunModal(Dialog& dialog) {
    const res::DialogTemplate* layout = res::FindDialogTemplate(dialog.TemplateId());
    if (layout == nullptr) {
        return -1;
    }
    TerminalWindow window(*this, *layout);
    live_.push_back(&dialog);
    dialog.Attach(&window);
    dialog.OnInitDialog();
    session_.Opened(dialog, window);
    while (!window.Ended()) {
        session_.Changed(dialog, window);
        if (window.Ended()) {
            break;
        }
        const bool interrupted = WaitForWake();
        // Outer dialogs too: a worker of theirs may be waiting on a call meanwhile.
        for (Dialog* open : std::vector<Dialog*>(live_)) {
            open->RunPendingCalls();
        }
        if (interrupted) {
            session_.Interrupted(*live_.back());
        }
    }
    dialog.OnDestroy();
    dialog.Detach();
    std::erase(live_, &dialog);
    return window.Result();
}

bool TerminalBackend::WaitForWake() {
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return woken_ || interrupted_; });
    woken_ = false;
    return std::exchange(interrupted_, false);
}

// Handover: the queued call runs on the dialog's thread once WaitForWake has returned.
void TerminalBackend::WakeDialogThread() {
    std::lock_guard lock(mutex_);
    woken_ = true;
    wake_.notify_all();
}

// Handover: the session hears of it on the dialog's thread, after WaitForWake has returned.
void TerminalBackend::Interrupt() {
    std::lock_guard lock(mutex_);
    interrupted_ = true;
    wake_.notify_all();
}

int TerminalBackend::ShowMessageBox(std::string_view text, std::string_view caption, unsigned) {
    session_.MessageBoxShown(text, caption);
    return kIdOk;
}

}  // namespace kt73b::ui
