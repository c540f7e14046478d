// The check value of one chunk of image data: reflected CRC-32 (polynomial 0xEDB88320, initial
// value all ones) without the final complement, i.e. CRC-32/JAMCRC.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kt73b {

std::uint32_t ChunkCrc(const std::uint8_t* source, std::size_t length);

}  // namespace kt73b
