#include "engine/seven_bit_pack.h"

#include <algorithm>

namespace kt73b {

namespace {
constexpr std::size_t kGroupBytes = 7;
}

std::size_t PackSevenBit(std::uint8_t* dest, const std::uint8_t* source, std::size_t length) {
    std::size_t written = 0;
    for (std::size_t start = 0; start < length; start += kGroupBytes) {
        const std::size_t groupBytes = std::min(kGroupBytes, length - start);
        std::uint8_t leading = 0;
        for (std::size_t i = 0; i < groupBytes; ++i) {
            const std::uint8_t byte = source[start + i];
            leading = static_cast<std::uint8_t>(leading | ((byte >> 7) << (6 - i)));
            dest[written + 1 + i] = static_cast<std::uint8_t>(byte & 0x7F);
        }
        dest[written] = leading;
        written += groupBytes + 1;
    }
    return written;
}

std::ptrdiff_t UnpackSevenBit(std::uint8_t* dest, const std::uint8_t* source,
                              std::size_t packedLength) {
    std::size_t written = 0;
    std::size_t at = 0;
    while (at < packedLength) {
        const std::size_t groupBytes = std::min(kGroupBytes, packedLength - at - 1);
        const std::uint8_t leading = source[at];
        // A lone leading byte, or top bits promised for bytes that are not there, is no packing.
        const auto unusedBits = static_cast<std::uint8_t>((1u << (kGroupBytes - groupBytes)) - 1);
        if (groupBytes == 0 || (leading & 0x80) || (leading & unusedBits)) {
            return -1;
        }
        for (std::size_t i = 0; i < groupBytes; ++i) {
            const std::uint8_t low = source[at + 1 + i];
            if (low & 0x80) {
                return -1;
            }
            const auto top = static_cast<std::uint8_t>(((leading >> (6 - i)) & 1) << 7);
            dest[written + i] = static_cast<std::uint8_t>(top | low);
        }
        written += groupBytes;
        at += groupBytes + 1;
    }
    return static_cast<std::ptrdiff_t>(written);
}

}  // namespace kt73b
