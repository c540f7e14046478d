// Shortened pauses and time-outs for whole updates in a test.
#pragma once

#include <chrono>

#include "app/update_timings.h"

namespace kt73b::testing {

// Short pauses and a 2 ms tick, the usual time-outs: a whole update takes a few seconds.
inline UpdateTimings ShortPauses() {
    using namespace std::chrono_literals;
    UpdateTimings timings;
    timings.retryPause = timings.updateModePause = 2ms;
    timings.tickPeriodMs = 2;
    return timings;
}

// Shortened time-outs too, still long enough that a loaded machine (sanitizers, parallel tests)
// never times out by itself.
inline UpdateTimings FastTimings() {
    using namespace std::chrono_literals;
    UpdateTimings timings = ShortPauses();
    timings.identityTimeout = timings.eraseTimeout = timings.finishTimeout = 1500ms;
    timings.writeTimeout = 300ms;
    return timings;
}

}  // namespace kt73b::testing
