#include "emulator/image_check.h"

#include <algorithm>
#include <cstdio>

#include "engine/step_table.h"

namespace kt73b::emu {

namespace {

std::string Mismatch(std::uint32_t id, std::uint32_t address, std::uint8_t flash,
                     std::uint8_t image) {
    char text[96];
    std::snprintf(text, sizeof text,
                  "flash differs from image %u at 0x%06X: 0x%02X, expected 0x%02X",
                  static_cast<unsigned>(id), static_cast<unsigned>(address), flash, image);
    return text;
}

std::uint32_t RegionSize(const StepRow& row, std::span<const std::uint8_t> image) {
    return row.size != 0 ? row.size : static_cast<std::uint32_t>(image.size());
}

std::string CheckSize(const FlashMemory& flash, const StepRow& row,
                      std::span<const std::uint8_t> image) {
    const std::uint32_t size = RegionSize(row, image);
    if (image.size() == size && flash.Contains(row.address, size)) {
        return {};
    }
    return "image " + std::to_string(row.imageId) + " has " + std::to_string(image.size()) +
           " bytes; its region takes " + std::to_string(size);
}

std::string CompareRegion(const FlashMemory& flash, const StepRow& row,
                          std::span<const std::uint8_t> image) {
    const auto region = flash.Bytes().subspan(row.address, RegionSize(row, image));
    const auto [at, _] = std::mismatch(region.begin(), region.end(), image.begin());
    if (at == region.end()) {
        return {};
    }
    const auto offset = static_cast<std::uint32_t>(at - region.begin());
    return Mismatch(row.imageId, row.address + offset, *at, image[offset]);
}

}  // namespace

std::string CompareFlashWithImages(const FlashMemory& flash, const ImageSource& images) {
    // Images of the wrong size first: they say more than the first differing byte would.
    for (const auto check : {CheckSize, CompareRegion}) {
        for (const StepRow& row : kStepTable) {
            if (row.type != kStepWrite) {
                continue;
            }
            const std::string difference = check(flash, row, images(row.imageId));
            if (!difference.empty()) {
                return difference;
            }
        }
    }
    return {};
}

}  // namespace kt73b::emu
