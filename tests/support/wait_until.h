// Waiting on what nothing announces, such as another thread's or process's windows: the condition
// is polled until it holds or the bound has passed. Bounds are generous, never a measure of speed.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace kt73b::testing {

// True when `done` held before `timeout` passed.
inline bool WaitUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace kt73b::testing
