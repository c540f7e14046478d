#include "platform/ui/dialog.h"

#include "platform/ui/backend.h"

namespace kt73b::ui {

Dialog::~Dialog() = default;

int Dialog::DoModal() {
    Backend* backend = CurrentBackend();
    if (backend == nullptr) {
        return -1;
    }
    return backend->RunModal(*this);
}

void Dialog::EndDialog(int result) {
    OnDialogThread([result](WindowHost& host) { host.EndDialog(result); });
}

void Dialog::OnCommand(int id) {
    if (id == kIdCancel) {
        EndDialog(kIdCancel);
    }
}

int Dialog::MessageBox(std::string_view text, std::string_view caption, unsigned type) {
    int result = 0;
    OnDialogThread([&](WindowHost& host) { result = host.ShowMessageBox(text, caption, type); });
    return result;
}

void Dialog::Attach(WindowHost* host) {
    std::lock_guard lock(mutex_);
    dialogThread_ = std::this_thread::get_id();
    host_ = host;
}

void Dialog::Detach() {
    std::lock_guard lock(mutex_);
    host_ = nullptr;
    for (PendingCall* call = head_; call != nullptr; call = call->next) {
        call->done = true;
    }
    head_ = tail_ = nullptr;
    callDone_.notify_all();
}

bool Dialog::QueueAndWait(PendingCall& call) {
    Backend* backend = CurrentBackend();
    std::unique_lock lock(mutex_);
    if (host_ == nullptr || backend == nullptr) {
        return false;
    }
    (tail_ != nullptr ? tail_->next : head_) = &call;
    tail_ = &call;
    // Handover: the dialog's thread runs the call in RunPendingCalls and sets `done`.
    backend->WakeDialogThread();
    callDone_.wait(lock, [&call] { return call.done; });
    return call.ran;
}

void Dialog::RunPendingCalls() {
    std::unique_lock lock(mutex_);
    while (head_ != nullptr && host_ != nullptr) {
        PendingCall* call = head_;
        head_ = call->next;
        if (head_ == nullptr) {
            tail_ = nullptr;
        }
        WindowHost* host = host_;
        lock.unlock();
        // A call may run a nested modal loop (a message box) that comes back here.
        call->invoke(call->callable, *host);
        lock.lock();
        call->ran = true;
        call->done = true;
        callDone_.notify_all();
    }
}

}  // namespace kt73b::ui
