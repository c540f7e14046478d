// The icon as a Windows .ico file: every size of the picture at 4, 8 and 24 bits per pixel, each
// with its transparency mask, as the resource compiler takes it for icon 128.
#pragma once

#include <cstdint>
#include <vector>

namespace kt73b::res {

inline constexpr int kIconBitDepths[] = {4, 8, 24};

std::vector<std::uint8_t> BuildIcoFile();

}  // namespace kt73b::res
