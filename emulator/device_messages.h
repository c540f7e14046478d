// The frames the device sends: its Identity Reply, its answer to a request, and its own requests
// to the host (an Identity Request or a bare command), used to check the host's automatic answers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kt73b::emu {

inline constexpr std::size_t kDeviceIdentityReplyBytes = 15;
inline constexpr std::size_t kModelByteOffset = 3;          // maker frames
inline constexpr std::size_t kIdentityModelByteOffset = 6;  // Identity Reply

// F0 7E 00 06 02 52 mm 00 00 00 followed by the firmware revision and F7.
std::vector<std::uint8_t> BuildDeviceIdentityReply(std::uint8_t model);

// F0 52 00 mm 00 ss F7.
std::vector<std::uint8_t> BuildDeviceAnswer(std::uint8_t model, std::uint8_t status);

// F0 7E 00 06 01 F7.
std::vector<std::uint8_t> BuildDeviceIdentityRequest();

// F0 52 00 mm cc F7: a command the device sends to the host by itself.
std::vector<std::uint8_t> BuildDeviceCommand(std::uint8_t model, std::uint8_t command);

}  // namespace kt73b::emu
