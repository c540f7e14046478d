// The image lookup for builds that link the images in as data: the symbols around each blob give
// its first byte and its length. Nothing is copied or released.
#include <cstdint>
#include <span>

#include "engine/image_set.h"

extern "C" {
extern const std::uint8_t kt73b_image_129_begin[];
extern const std::uint8_t kt73b_image_129_end[];
extern const std::uint8_t kt73b_image_136_begin[];
extern const std::uint8_t kt73b_image_136_end[];
extern const std::uint8_t kt73b_image_137_begin[];
extern const std::uint8_t kt73b_image_137_end[];
}

namespace kt73b {

std::span<const std::uint8_t> LookupBuiltInImage(std::uint32_t id) {
    switch (id) {
        case kImageMiddle:
            return {kt73b_image_129_begin, kt73b_image_129_end};
        case kImageLow:
            return {kt73b_image_136_begin, kt73b_image_136_end};
        case kImageHigh:
            return {kt73b_image_137_begin, kt73b_image_137_end};
        default:
            return {};
    }
}

}  // namespace kt73b
