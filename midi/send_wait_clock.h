// What the output port waits with while the driver finishes a long message: the steady clock,
// and a wait that the driver's completion callback ends. Tests put a clock of their own in.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace kt73b {

class SendWaitClock {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~SendWaitClock() = default;
    virtual TimePoint Now() = 0;
    // Waits, `lock` held on entry and on return, until `woken` is notified or `deadline` has
    // passed. It may return earlier; the caller looks at the done flag again either way.
    virtual void WaitUntil(std::condition_variable& woken, std::unique_lock<std::mutex>& lock,
                           TimePoint deadline) = 0;
};

// The steady clock and a real wait; shared by every port, it keeps no state.
SendWaitClock& SystemSendWaitClock();

}  // namespace kt73b
