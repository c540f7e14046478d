// Random fault scripts for the soak: every effect the emulator can inject, on every kind of
// request, at random occurrences, drawn from a seed so that any run can be repeated exactly.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace kt73b::soak {

// The host's waits the draw aims its delays and late answers at.
struct FaultDrawTimings {
    std::chrono::milliseconds writeTimeout;
    std::chrono::milliseconds otherTimeout;  // identity, erase and finish waits
    std::chrono::milliseconds retryPause;
};

struct DrawnFaults {
    std::string rules;                 // the emulator's rule syntax; empty: a device without faults
    std::vector<std::string> effects;  // the name of each effect drawn, for the tally
};

// Never pairs a doubled answer with a lost or refused request close behind it (see below).
DrawnFaults DrawFaults(std::uint64_t seed, const FaultDrawTimings& timings);

// True when a request answered twice is followed, within a few dozen requests, by one that the
// device loses or does not carry out: no host can keep the promise then (fault_draw.cpp says why).
bool PairsADoubledAnswerWithALoss(const std::string& rules);

}  // namespace kt73b::soak
