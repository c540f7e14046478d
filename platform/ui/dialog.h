// The dialog framework the updater's windows are written against: a dialog made from a template,
// its message handlers, and control calls from other threads carried out on the dialog's thread
// (as SendMessage does), which become no-ops once the window is gone.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string_view>
#include <thread>
#include <utility>

#include "platform/ui/window_host.h"

namespace kt73b::ui {

class Dialog {
  public:
    explicit Dialog(int templateId) : templateId_(templateId) {}
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    int TemplateId() const { return templateId_; }

    // Runs the dialog modally through the current back end; returns EndDialog's result.
    int DoModal();
    void EndDialog(int result);

    // Message handlers, called on the dialog's thread by the back end.
    virtual bool OnInitDialog() { return true; }
    virtual void OnCommand(int id);  // a button click; IDCANCEL ends the dialog
    virtual void OnSysCommand(unsigned command) { (void)command; }
    virtual void OnDestroy() {}

    // A message box owned by this dialog, from any thread. Returns 0 when the window is gone.
    int MessageBox(std::string_view text, std::string_view caption, unsigned type);

    // Runs `call(host)` on the dialog's thread and waits for it. From the dialog's thread it runs
    // at once. Returns false, without running it, when the window is gone or goes meanwhile.
    template <class F>
    bool OnDialogThread(F&& call);

    // Back-end side.
    void Attach(WindowHost* host);  // the window exists
    void Detach();                  // the window is gone: queued and later calls are dropped
    void RunPendingCalls();         // on the dialog's thread, when woken
    WindowHost* Host() const { return host_; }

  private:
    struct PendingCall {
        void (*invoke)(void* callable, WindowHost& host);
        void* callable;
        PendingCall* next = nullptr;
        bool done = false;
        bool ran = false;
    };

    bool IsDialogThread() const { return std::this_thread::get_id() == dialogThread_; }
    bool QueueAndWait(PendingCall& call);

    const int templateId_;
    // Written on the dialog's thread by Attach/Detach under mutex_; read by callers under mutex_
    // or on the dialog's thread.
    WindowHost* host_ = nullptr;
    std::thread::id dialogThread_;
    std::mutex mutex_;
    std::condition_variable callDone_;
    PendingCall* head_ = nullptr;  // calls from other threads, oldest first; guarded by mutex_
    PendingCall* tail_ = nullptr;
};

template <class F>
bool Dialog::OnDialogThread(F&& call) {
    if (IsDialogThread()) {
        if (host_ == nullptr) {
            return false;
        }
        call(*host_);
        return true;
    }
    // The call lives on this thread's stack: the caller waits until it has run or been dropped,
    // so nothing is allocated per call.
    PendingCall pending{
        [](void* callable, WindowHost& host) { (*static_cast<F*>(callable))(host); },
        const_cast<void*>(static_cast<const void*>(&call))};
    return QueueAndWait(pending);
}

}  // namespace kt73b::ui
