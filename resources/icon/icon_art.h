// The application icon (resource 128) drawn from geometry, so every size comes out sharp and the
// Windows .ico and the Linux window icon show the same picture: a small effects pedal.
#pragma once

#include <cstdint>
#include <vector>

namespace kt73b::res {

inline constexpr int kIconSizes[] = {16, 32, 48};

struct IconPixel {
    std::uint8_t red, green, blue;
    bool opaque;
};

// The picture at `size` x `size` pixels, rows from the top.
std::vector<IconPixel> DrawIcon(int size);

}  // namespace kt73b::res
