#include "engine/step_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "engine/image_set.h"

namespace kt73b {
namespace {

// That each region is erased, then written once with its image, is the whole update's check (the
// flash equal to the images after 3 erase requests and 1,902 frames). That check compares at the
// table's own addresses, so the regions are checked to adjoin and cover the flash here; and it is
// only as strong as the images: each of its region's size, with bytes that have bit 7 set (the
// packing's hard case), different from each other so that an image in the wrong region shows.
TEST(StepTable, RegionsCoverTheFlashAndEachImageCanBeToldApart) {
    std::map<std::uint32_t, std::uint32_t> erased;  // size by address
    for (const StepRow& row : kStepTable) {
        if (row.type == kStepErase) {
            erased[row.address] = row.size;
            continue;
        }
        SCOPED_TRACE(row.imageId);
        const auto image = LookupImage(row.imageId);
        EXPECT_EQ(image.size(), row.size);
        EXPECT_TRUE(std::any_of(image.begin(), image.end(), [](auto b) { return b >= 0x80; }));
    }
    std::uint32_t next = 0;
    for (const auto& [address, size] : erased) {
        EXPECT_EQ(address, next);
        next = address + size;
    }
    EXPECT_EQ(next, kFlashBytes);
    const auto low = LookupImage(kImageLow);
    const auto middle = LookupImage(kImageMiddle);
    ASSERT_LE(low.size(), middle.size());
    EXPECT_FALSE(std::equal(low.begin(), low.end(), middle.begin()));
    EXPECT_TRUE(LookupImage(0).empty());
}

}  // namespace
}  // namespace kt73b
