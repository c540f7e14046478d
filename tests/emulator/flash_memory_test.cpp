#include "emulator/flash_memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace kt73b::emu {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The device starts with old firmware, so a write without an erase is caught.
TEST(FlashMemory, StartsWithOldFirmwareThatIsNeitherErasedNorUniform) {
    const FlashMemory flash;
    const auto bytes = flash.Bytes().first(4096);
    EXPECT_GT(std::count_if(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b != 0xFF; }),
              4000);
    EXPECT_FALSE(flash.CanProgram(0x1000, Bytes(2048, 0x00)));
}

TEST(FlashMemory, ProgramsOverErasedOrIdenticalBytesOnly) {
    FlashMemory flash;
    flash.Erase(0, 0x1000);
    const Bytes data = {0x12, 0x00, 0xFF, 0x80};
    ASSERT_TRUE(flash.Program(0x10, data));
    EXPECT_TRUE(std::equal(data.begin(), data.end(), flash.Bytes().begin() + 0x10));
    EXPECT_TRUE(flash.CanProgram(0x10, data));
    EXPECT_FALSE(flash.CanProgram(0x10, Bytes{0x13, 0x00, 0xFF, 0x80}));
    // Partly over programmed, partly over erased flash with matching bytes: accepted.
    EXPECT_TRUE(flash.CanProgram(0x12, Bytes{0xFF, 0x80, 0x55}));
}

}  // namespace
}  // namespace kt73b::emu
