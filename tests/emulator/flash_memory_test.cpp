#include "emulator/flash_memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/step_table.h"

namespace kt73b::emu {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(FlashMemory_Start, HoldsOldFirmwareThatIsNeitherErasedNorUniform) {
    const FlashMemory flash;
    EXPECT_EQ(flash.Size(), kFlashBytes);
    EXPECT_FALSE(flash.IsErased(0, 2048));
    const auto bytes = flash.Bytes().first(4096);
    EXPECT_GT(std::count_if(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b != 0xFF; }),
              4000);
    EXPECT_FALSE(flash.CanProgram(0x1000, Bytes(2048, 0x00)));
}

TEST(FlashMemory_Ranges, EdgesOfTheFlash) {
    const FlashMemory flash;
    EXPECT_TRUE(flash.Contains(0, kFlashBytes));
    EXPECT_TRUE(flash.Contains(kFlashBytes - 1, 1));
    EXPECT_FALSE(flash.Contains(kFlashBytes - 1, 2));
    EXPECT_FALSE(flash.Contains(kFlashBytes, 1));
    EXPECT_FALSE(flash.Contains(0, 0));
    // address + length would wrap around 32 bits
    EXPECT_FALSE(flash.Contains(0xFFFFF000u, 0x2000));
}

TEST(FlashMemory_Erase, SetsExactlyTheRangeToFF) {
    FlashMemory flash;
    const std::uint8_t before = flash.Bytes()[0x0FFFF];
    const std::uint8_t after = flash.Bytes()[0x20000];
    ASSERT_TRUE(flash.Erase(0x10000, 0x10000));
    EXPECT_TRUE(flash.IsErased(0x10000, 0x10000));
    EXPECT_EQ(flash.Bytes()[0x0FFFF], before);
    EXPECT_EQ(flash.Bytes()[0x20000], after);
}

TEST(FlashMemory_Erase, OutsideChangesNothing) {
    FlashMemory flash;
    const Bytes before(flash.Bytes().begin(), flash.Bytes().end());
    EXPECT_FALSE(flash.Erase(kFlashBytes - 0x1000, 0x2000));
    EXPECT_FALSE(flash.Erase(0, 0));
    EXPECT_TRUE(std::equal(before.begin(), before.end(), flash.Bytes().begin()));
}

TEST(FlashMemory_Program, OverErasedOrIdenticalBytesOnly) {
    FlashMemory flash;
    flash.Erase(0, 0x1000);
    const Bytes data = {0x12, 0x00, 0xFF, 0x80};
    ASSERT_TRUE(flash.CanProgram(0x10, data));
    ASSERT_TRUE(flash.Program(0x10, data));
    EXPECT_TRUE(std::equal(data.begin(), data.end(), flash.Bytes().begin() + 0x10));
    // Sent again after a lost answer: the same bytes are already there.
    EXPECT_TRUE(flash.CanProgram(0x10, data));
    // Other bytes over programmed flash: refused.
    EXPECT_FALSE(flash.CanProgram(0x10, Bytes{0x13, 0x00, 0xFF, 0x80}));
    // Partly over programmed, partly over erased flash with matching bytes: accepted.
    EXPECT_TRUE(flash.CanProgram(0x12, Bytes{0xFF, 0x80, 0x55}));
}

}  // namespace
}  // namespace kt73b::emu
