// Which MIDI ports a copy pre-selects: the device's known port names, as they are for copy 1 and
// followed by " (n)" for copy n, compared byte for byte with each list entry.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace kt73b {

inline constexpr std::size_t kPortNameCount = 3;

// The known names, in table order: the generic USB audio device name in code page 932 and in
// English, and the device family's own port name.
extern const std::array<std::string_view, kPortNameCount> kDevicePortNames;

std::array<std::string, kPortNameCount> CandidatePortNames(int instanceNumber);

bool MatchesCandidate(std::string_view entry,
                      const std::array<std::string, kPortNameCount>& candidates);

}  // namespace kt73b
