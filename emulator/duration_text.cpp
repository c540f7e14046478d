#include "emulator/duration_text.h"

#include <charconv>
#include <cstdint>
#include <limits>

namespace kt73b::emu {

namespace {

struct Unit {
    std::string_view suffix;
    std::int64_t micros;
};

// Longest suffix first, so that "ms" is not read as "s".
constexpr Unit kUnits[] = {{"us", 1}, {"ms", 1000}, {"s", 1000000}};

}  // namespace

bool ParseDuration(std::string_view text, Micros& duration) {
    std::int64_t scale = 1000;
    for (const Unit& unit : kUnits) {
        if (text.size() > unit.suffix.size() && text.ends_with(unit.suffix)) {
            scale = unit.micros;
            text.remove_suffix(unit.suffix.size());
            break;
        }
    }
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value < 0 ||
        value > std::numeric_limits<std::int64_t>::max() / scale) {
        return false;
    }
    duration = Micros(value * scale);
    return true;
}

std::string FormatDuration(Micros duration) {
    const std::int64_t micros = duration.count();
    if (micros != 0 && micros % 1000000 == 0) {
        return std::to_string(micros / 1000000) + "s";
    }
    if (micros % 1000 == 0) {
        return std::to_string(micros / 1000) + "ms";
    }
    return std::to_string(micros) + "us";
}

}  // namespace kt73b::emu
