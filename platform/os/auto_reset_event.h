// An unnamed auto-reset event: each Set releases one wait, and a Set that no wait takes stays
// pending for the next one (one pending signal at most), as the platform's kernel events do.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace kt73b::os {

class AutoResetEvent {
  public:
    void Set() {
        std::lock_guard lock(mutex_);
        signalled_ = true;
        changed_.notify_one();
    }

    void Reset() {
        std::lock_guard lock(mutex_);
        signalled_ = false;
    }

    // True when signalled within `timeout`; the signal is consumed.
    bool Wait(std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, timeout, [this] { return signalled_; })) {
            return false;
        }
        signalled_ = false;
        return true;
    }

    void WaitForever() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return signalled_; });
        signalled_ = false;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool signalled_ = false;  // guarded by mutex_; the lock orders what the setter wrote before
};

}  // namespace kt73b::os
