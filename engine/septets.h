// Septet encoding: a 32-bit value as five 7-bit bytes, low septet first, so that addresses,
// sizes and check values can travel inside System Exclusive.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kt73b {

// Writes `count` septets of `value` (five for a full value, two for a chunk length) to `out`.
void EncodeSeptets(std::uint32_t value, std::uint8_t* out, std::size_t count = 5);

// Reads `count` septets back. Returns false when a byte has bit 7 set, which no septet may have.
bool DecodeSeptets(const std::uint8_t* in, std::size_t count, std::uint32_t& value);

}  // namespace kt73b
