#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <thread>

#include "platform/ui/terminal/stop_signals.h"

namespace kt73b::ui {

namespace {
// SIGUSR1 is this object's own: the destructor sends it to wake the waiting thread.
constexpr int kWakeSignal = SIGUSR1;
}  // namespace

struct StopSignals::Waiter {
    sigset_t signals{};
    std::atomic<bool> ending{false};  // written by the destructor before it wakes the thread
    std::thread thread;
};

StopSignals::StopSignals(std::function<void()> onStop) : waiter_(std::make_unique<Waiter>()) {
    sigemptyset(&waiter_->signals);
    sigaddset(&waiter_->signals, SIGINT);
    sigaddset(&waiter_->signals, SIGTERM);
    sigaddset(&waiter_->signals, SIGHUP);
    sigaddset(&waiter_->signals, kWakeSignal);
    // Threads inherit the mask: every thread made from here on leaves these signals to us.
    pthread_sigmask(SIG_BLOCK, &waiter_->signals, nullptr);
    // Output to a pipe whose reader has gone (`| head`) must not kill an update half-way.
    signal(SIGPIPE, SIG_IGN);
    Waiter* waiter = waiter_.get();
    waiter->thread = std::thread([waiter, onStop = std::move(onStop)] {
        for (;;) {
            int signal = 0;
            if (sigwait(&waiter->signals, &signal) != 0) {
                continue;
            }
            if (waiter->ending) {
                return;
            }
            if (signal != kWakeSignal) {
                onStop();
            }
        }
    });
}

StopSignals::~StopSignals() {
    waiter_->ending = true;
    // Handover: the waiting thread sees `ending` once this signal has woken it.
    pthread_kill(waiter_->thread.native_handle(), kWakeSignal);
    waiter_->thread.join();
}

}  // namespace kt73b::ui
