// A number as the emulator's command line and fault rules write it: decimal, or hexadecimal
// after 0x (model bytes, statuses, counts).
#pragma once

#include <charconv>
#include <cstdint>
#include <string_view>

namespace kt73b::emu {

// False unless the whole text is one number that fits.
inline bool ParseNumber(std::string_view text, std::uint32_t& value) {
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return !text.empty() && error == std::errc{} && end == text.data() + text.size();
}

}  // namespace kt73b::emu
