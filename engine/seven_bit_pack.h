// 7-in-8 packing: groups of seven data bytes become a leading byte holding their top bits,
// followed by the seven bytes with bit 7 cleared, so image data can travel inside SysEx.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kt73b {

// Packs `length` bytes of `source` into `dest`, which must hold PackedLength(length) bytes.
// Returns the number of bytes written.
std::size_t PackSevenBit(std::uint8_t* dest, const std::uint8_t* source, std::size_t length);

// The reverse: unpacks `packedLength` bytes into `dest`, which must hold the unpacked length.
// Returns the number of data bytes written, or -1 when the input is not a valid packing (a byte
// with bit 7 set, a group that is only a leading byte, or leading bits set for missing bytes).
std::ptrdiff_t UnpackSevenBit(std::uint8_t* dest, const std::uint8_t* source,
                              std::size_t packedLength);

}  // namespace kt73b
