#include "platform/winmm/periodic_timer.h"

namespace kt73b::winmm {

PeriodicTimer::PeriodicTimer(UINT id, UINT period_ms, LPTIMECALLBACK procedure, DWORD_PTR user)
    : id_(id), period_(period_ms), procedure_(procedure), user_(user) {}

PeriodicTimer::~PeriodicTimer() {
    if (thread_.joinable()) {
        thread_.detach();
    }
}

void PeriodicTimer::Start() {
    // The thread keeps the timer alive until it has seen the kill.
    thread_ = std::thread([self = shared_from_this()] { self->Run(); });
}

void PeriodicTimer::Kill() {
    {
        std::lock_guard lock(mutex_);
        killed_ = true;
    }
    killedChanged_.notify_all();
    if (std::this_thread::get_id() == thread_.get_id()) {
        thread_.detach();
    } else if (thread_.joinable()) {
        thread_.join();
    }
}

// Ticks keep to the period's grid; ticks missed while one ran late are skipped, not bunched.
void PeriodicTimer::Run() {
    auto next = std::chrono::steady_clock::now() + period_;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            if (killedChanged_.wait_until(lock, next, [&] { return killed_; })) {
                return;
            }
        }
        procedure_(id_, 0, user_, 0, 0);
        next += period_;
        const auto now = std::chrono::steady_clock::now();
        while (next <= now) {
            next += period_;
        }
    }
}

}  // namespace kt73b::winmm
