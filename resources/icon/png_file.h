// The icon at one size as a PNG file (8-bit RGBA), for the desktop's icon theme on Linux.
#pragma once

#include <cstdint>
#include <vector>

namespace kt73b::res {

std::vector<std::uint8_t> BuildPngFile(int size);

}  // namespace kt73b::res
