// The comparison every whole-update test relies on: it must see a chunk that never reached the
// flash and an image of the wrong size, or a broken update would pass as complete.
#include "emulator/image_check.h"

#include <gtest/gtest.h>

#include "engine/image_set.h"
#include "engine/protocol_constants.h"
#include "engine/step_table.h"

namespace kt73b::emu {
namespace {

TEST(ImageCheck, FindsAMissingChunkAndAnImageOfTheWrongSize) {
    FlashMemory flash;
    EXPECT_FALSE(CompareFlashWithImages(flash, LookupImage).empty());  // the old firmware
    flash.Erase(0, flash.Size());
    // Every image in place but the chunk at 0x1000 of image 137.
    constexpr std::uint32_t kGap = 0x1000;
    for (const StepRow& row : kStepTable) {
        if (row.type == kStepErase) {
            continue;
        }
        const auto image = LookupImage(row.imageId);
        if (row.imageId != kImageHigh) {
            flash.Program(row.address, image);
            continue;
        }
        flash.Program(row.address, image.first(kGap));
        flash.Program(row.address + kGap + kWriteChunkBytes,
                      image.subspan(kGap + kWriteChunkBytes));
    }
    const std::string difference = CompareFlashWithImages(flash, LookupImage);
    EXPECT_NE(difference.find("image 137 at 0x0F1000"), std::string::npos) << difference;

    flash.Program(0x0F1000, LookupImage(kImageHigh).subspan(kGap, kWriteChunkBytes));
    EXPECT_EQ(CompareFlashWithImages(flash, LookupImage), "");
    const auto shortImage = [](std::uint32_t id) {
        const auto image = LookupImage(id);
        return id == kImageMiddle ? image.first(image.size() - 1) : image;
    };
    const std::string size = CompareFlashWithImages(flash, shortImage);
    EXPECT_NE(size.find("image 129 has 720895 bytes"), std::string::npos) << size;
}

}  // namespace
}  // namespace kt73b::emu
