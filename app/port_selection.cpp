#include "app/port_selection.h"

#include <algorithm>

namespace kt73b {

const std::array<std::string_view, kPortNameCount> kDevicePortNames = {
    // "USB オーディオ デバイス" in code page 932, the bytes Japanese Windows names the device with.
    "USB \x83\x49\x81\x5B\x83\x66\x83\x42\x83\x49 \x83\x66\x83\x6F\x83\x43\x83\x58",
    "USB Audio Device",
    "VELK KT Series",
};

std::array<std::string, kPortNameCount> CandidatePortNames(int instanceNumber) {
    std::array<std::string, kPortNameCount> candidates;
    for (std::size_t i = 0; i < kPortNameCount; ++i) {
        candidates[i] = kDevicePortNames[i];
        if (instanceNumber != 1) {
            candidates[i] += " (" + std::to_string(instanceNumber) + ")";
        }
    }
    return candidates;
}

bool MatchesCandidate(std::string_view entry,
                      const std::array<std::string, kPortNameCount>& candidates) {
    return std::any_of(candidates.begin(), candidates.end(),
                       [entry](const std::string& candidate) { return entry == candidate; });
}

}  // namespace kt73b
