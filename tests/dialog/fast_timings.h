// Shortened time-outs and pauses for whole updates in a test, still long enough that a loaded
// machine (sanitizers, parallel tests) never times out by itself.
#pragma once

#include <chrono>

#include "app/update_timings.h"

namespace kt73b::testing {

inline UpdateTimings FastTimings() {
    using namespace std::chrono_literals;
    UpdateTimings timings;
    timings.identityTimeout = timings.eraseTimeout = timings.finishTimeout = 1500ms;
    timings.writeTimeout = 300ms;
    timings.retryPause = timings.updateModePause = 2ms;
    timings.tickPeriodMs = 2;
    return timings;
}

}  // namespace kt73b::testing
