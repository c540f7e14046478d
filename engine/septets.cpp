#include "engine/septets.h"

namespace kt73b {

void EncodeSeptets(std::uint32_t value, std::uint8_t* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = static_cast<std::uint8_t>((value >> (7 * i)) & 0x7F);
    }
}

bool DecodeSeptets(const std::uint8_t* in, std::size_t count, std::uint32_t& value) {
    std::uint32_t result = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (in[i] & 0x80) {
            return false;
        }
        // The fifth septet carries only bits 28..31; higher bits fall off, as on the device.
        result |= static_cast<std::uint32_t>(in[i]) << (7 * i);
    }
    value = result;
    return true;
}

}  // namespace kt73b
