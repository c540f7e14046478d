// The least time a whole update can take under the emulator's link and device model: for every
// request, carrying it and its answer over the link plus the device's own time, the next
// request going out the moment the answer is in; plus the pause after update mode that the
// update must keep. Computed in virtual time.
#pragma once

#include <chrono>

#include "app/update_timings.h"
#include "emulator/emulator.h"

namespace kt73b::bench {

std::chrono::microseconds ModelLowerBound(const emu::EmulatorSettings& settings,
                                          const UpdateTimings& timings);

}  // namespace kt73b::bench
