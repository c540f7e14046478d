#include "engine/step_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "engine/image_set.h"
#include "engine/protocol_constants.h"

namespace kt73b {
namespace {

// Each region is erased once before it is written once with an image of its size, and the
// regions adjoin and cover the flash.
TEST(StepTable, ErasesEachRegionBeforeWritingItsImageOnceAndCoversTheFlash) {
    std::set<std::pair<std::uint32_t, std::uint32_t>> erased;
    std::set<std::pair<std::uint32_t, std::uint32_t>> written;
    for (const StepRow& row : kStepTable) {
        SCOPED_TRACE(row.address);
        EXPECT_EQ(row.size % kWriteChunkBytes, 0u);
        if (row.type == kStepErase) {
            EXPECT_TRUE(erased.emplace(row.address, row.size).second);
            continue;
        }
        ASSERT_EQ(row.type, kStepWrite);
        EXPECT_TRUE(erased.count({row.address, row.size})) << "written before erased";
        EXPECT_TRUE(written.emplace(row.address, row.size).second);
        const auto image = LookupImage(row.imageId);
        EXPECT_EQ(image.size(), row.size);
        // Bytes with bit 7 set must be present, or the packing goes untested end to end.
        EXPECT_TRUE(std::any_of(image.begin(), image.end(), [](auto b) { return b >= 0x80; }));
    }
    EXPECT_EQ(erased, written);
    std::uint32_t next = 0;
    for (const auto& [address, size] : erased) {
        EXPECT_EQ(address, next);
        next = address + size;
    }
    EXPECT_EQ(next, kFlashBytes);
    EXPECT_TRUE(LookupImage(0).empty());
    // The images differ, so an image written to the wrong region shows in the flash.
    const auto low = LookupImage(kImageLow);
    const auto middle = LookupImage(kImageMiddle);
    ASSERT_LE(low.size(), middle.size());
    EXPECT_FALSE(std::equal(low.begin(), low.end(), middle.begin()));
}

}  // namespace
}  // namespace kt73b
