#include "engine/step_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "engine/image_set.h"
#include "engine/protocol_constants.h"

namespace kt73b {
namespace {

TEST(ImageSet, EveryImageIsLinkedInWithItsSize) {
    for (const ImageSpec& entry : kImageSpecs) {
        const auto image = LookupImage(entry.id);
        ASSERT_NE(image.data(), nullptr) << entry.id;
        EXPECT_EQ(image.size(), entry.size) << entry.id;
        // Bytes with bit 7 set must be present, or the packing goes untested end to end.
        EXPECT_TRUE(std::any_of(image.begin(), image.end(), [](auto b) { return b >= 0x80; }));
    }
    EXPECT_TRUE(LookupImage(0).empty());
    EXPECT_TRUE(LookupImage(130).empty());
}

TEST(ImageSet, ImagesDifferSoAMisplacedImageShows) {
    const auto low = LookupImage(kImageLow);
    const auto middle = LookupImage(kImageMiddle);
    ASSERT_FALSE(low.empty());
    ASSERT_FALSE(middle.empty());
    EXPECT_FALSE(std::equal(low.begin(), low.end(), middle.begin()));
}

TEST(StepTable, WriteRowsMatchTheirImagesAndChunkEvenly) {
    std::size_t frames = 0;
    for (const StepRow& row : kStepTable) {
        EXPECT_EQ(row.size % kWriteChunkBytes, 0u);
        if (row.type == kStepWrite) {
            EXPECT_EQ(LookupImage(row.imageId).size(), row.size) << row.imageId;
            frames += row.size / kWriteChunkBytes;
        }
    }
    EXPECT_EQ(frames, 1902u);
}

TEST(StepTable, EachRegionIsErasedOnceBeforeItIsWrittenOnce) {
    std::set<std::uint32_t> erased;
    std::set<std::uint32_t> written;
    for (const StepRow& row : kStepTable) {
        if (row.type == kStepErase) {
            EXPECT_TRUE(erased.insert(row.address).second);
        } else {
            ASSERT_EQ(row.type, kStepWrite);
            EXPECT_TRUE(erased.count(row.address)) << "written before erased: " << row.address;
            EXPECT_TRUE(written.insert(row.address).second);
        }
    }
    EXPECT_EQ(erased, written);
    // The middle region is erased first and written last.
    EXPECT_EQ(kStepTable.front().address, 0x040000u);
    EXPECT_EQ(kStepTable.back().address, 0x040000u);
    EXPECT_EQ(kStepTable.back().imageId, kImageMiddle);
}

TEST(StepTable, RegionsAdjoinAndCoverTheFlash) {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> regions;
    for (const StepRow& row : kStepTable) {
        if (row.type == kStepErase)
            regions.emplace_back(row.address, row.size);
    }
    std::sort(regions.begin(), regions.end());
    std::uint32_t next = 0;
    for (const auto& [address, size] : regions) {
        EXPECT_EQ(address, next);
        next = address + size;
    }
    EXPECT_EQ(next, kFlashBytes);
}

}  // namespace
}  // namespace kt73b
