// Does the flash hold the firmware? Compares each region that the step table writes with the
// image the table names, byte for byte.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "emulator/flash_memory.h"

namespace kt73b::emu {

// Gives an image's bytes by id; empty when there is no such image.
using ImageSource = std::function<std::span<const std::uint8_t>(std::uint32_t id)>;

// Empty when every written region equals its image; otherwise what differs, for a person.
std::string CompareFlashWithImages(const FlashMemory& flash, const ImageSource& images);

}  // namespace kt73b::emu
