// The update's time-outs and pauses. The defaults are the device's; tests shorten them so that
// no test waits thirty real seconds.
#pragma once

#include <chrono>

namespace kt73b {

struct UpdateTimings {
    std::chrono::milliseconds identityTimeout{30000};
    std::chrono::milliseconds eraseTimeout{30000};
    std::chrono::milliseconds writeTimeout{1000};
    std::chrono::milliseconds finishTimeout{30000};
    std::chrono::milliseconds retryPause{100};       // before each re-send
    std::chrono::milliseconds updateModePause{500};  // after update mode is accepted
    unsigned tickPeriodMs = 50;                      // the receive side's heartbeat
    // Each queued message wakes the receive side at once; false leaves it to the tick alone, as
    // the benchmark's baseline measures.
    bool dispatchOnArrival = true;
};

}  // namespace kt73b
