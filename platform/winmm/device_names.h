// How devices are named in the WinMM lists: the provider's name capped at 31 bytes, as the
// platform's szPname holds it, and " (2)", " (3)"... for further devices of one name.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kt73b::winmm {

inline constexpr std::size_t kMaxDeviceNameBytes = 31;

// `name` cut to at most `max_bytes`, never inside a UTF-8 sequence.
std::string CapName(std::string_view name, std::size_t max_bytes = kMaxDeviceNameBytes);

// The names of one list, in order: capped, and the second, third... of one capped name numbered
// " (2)", " (3)"..., shortening the name where the number would not fit.
std::vector<std::string> NameDevices(const std::vector<std::string>& base_names);

}  // namespace kt73b::winmm
