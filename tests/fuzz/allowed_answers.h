// The host's automatic answers, written down from the receive side's classification table on
// their own, so the fuzz target checks DispatchInbound against the table and not against itself.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kt73b::fuzz {

using Bytes = std::vector<std::uint8_t>;

// The one message the host must send for `message` (a refusal or acknowledgement, or its identity
// reply), or nothing. A message too short for the bytes its row reads gets nothing.
std::optional<Bytes> AllowedAnswer(std::span<const std::uint8_t> message, std::uint8_t model,
                                   std::uint8_t family);

}  // namespace kt73b::fuzz
