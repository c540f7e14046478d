// The firmware images the updater carries inside its executable, by id. The lookup itself is the
// platform's (resources on Windows, linked-in data elsewhere); the engine only declares it.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace kt73b {

inline constexpr std::uint32_t kImageMiddle = 129;  // flash 0x040000
inline constexpr std::uint32_t kImageLow = 136;     // flash 0x000000
inline constexpr std::uint32_t kImageHigh = 137;    // flash 0x0F0000

struct ImageSpec {
    std::uint32_t id;
    std::uint32_t size;
};

inline constexpr std::array<ImageSpec, 3> kImageSpecs = {{
    {kImageMiddle, 0x0B0000},
    {kImageLow, 0x040000},
    {kImageHigh, 0x2C7000},
}};

// The image's bytes, valid for the life of the process; empty when the id is unknown.
std::span<const std::uint8_t> LookupImage(std::uint32_t id);

}  // namespace kt73b
