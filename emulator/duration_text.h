// Durations as people type them on a command line or in a fault rule: "150ms", "2s", "500us";
// a bare number is milliseconds.
#pragma once

#include <string>
#include <string_view>

#include "emulator/clock.h"

namespace kt73b::emu {

// False for anything but a non-negative whole number with an optional unit us, ms or s.
bool ParseDuration(std::string_view text, Micros& duration);

// "150ms", "2s", "250us": the largest unit that shows the value exactly.
std::string FormatDuration(Micros duration);

}  // namespace kt73b::emu
