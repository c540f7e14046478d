// What the output port waits with while the driver finishes a long message: the steady clock
// and a 1 ms pause between two looks at the done flag. Tests put a clock of their own in.
#pragma once

#include <chrono>

namespace kt73b {

class SendWaitClock {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~SendWaitClock() = default;
    virtual TimePoint Now() = 0;
    // Called between two looks at the header's done flag.
    virtual void Pause() = 0;
};

// The steady clock and a 1 ms sleep; shared by every port, it keeps no state.
SendWaitClock& SystemSendWaitClock();

}  // namespace kt73b
