#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <utility>

#include "resources/icon/ico_file.h"

namespace kt73b::res {
namespace {

unsigned Read16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b.at(at) | (b.at(at + 1) << 8);
}
std::uint32_t Read32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return Read16(b, at) | (static_cast<std::uint32_t>(Read16(b, at + 2)) << 16);
}

TEST(Icon, IcoFileHoldsNineImagesEachWhereItsDirectorySays) {
    const auto ico = BuildIcoFile();
    ASSERT_GE(ico.size(), 6u);
    EXPECT_EQ(Read16(ico, 0), 0u);
    EXPECT_EQ(Read16(ico, 2), 1u);
    ASSERT_EQ(Read16(ico, 4), 9u);
    std::set<std::pair<int, int>> formats;
    for (std::size_t i = 0; i < 9; ++i) {
        const std::size_t entry = 6 + 16 * i;
        const int size = ico.at(entry);
        const int bits = static_cast<int>(Read16(ico, entry + 6));
        const std::uint32_t bytes = Read32(ico, entry + 8);
        const std::uint32_t offset = Read32(ico, entry + 12);
        formats.emplace(size, bits);
        ASSERT_LE(static_cast<std::size_t>(offset) + bytes, ico.size());
        // The bitmap header agrees with the directory: width, doubled height, bit count.
        EXPECT_EQ(Read32(ico, offset), 40u);
        EXPECT_EQ(Read32(ico, offset + 4), static_cast<std::uint32_t>(size));
        EXPECT_EQ(Read32(ico, offset + 8), static_cast<std::uint32_t>(2 * size));
        EXPECT_EQ(Read16(ico, offset + 14), static_cast<unsigned>(bits));
        const std::size_t palette = bits == 4 ? 16 : (bits == 8 ? 256 : 0);
        const std::size_t colourRow = static_cast<std::size_t>((size * bits + 31) / 32 * 4);
        const std::size_t maskRow = static_cast<std::size_t>((size + 31) / 32 * 4);
        EXPECT_EQ(bytes, 40 + 4 * palette + (colourRow + maskRow) * static_cast<std::size_t>(size));
        EXPECT_EQ(ico.at(entry + 2), bits == 4 ? 16 : 0);
    }
    EXPECT_EQ(formats.size(), 9u);  // 16, 32 and 48 pixels, each at 4, 8 and 24 bits
}

}  // namespace
}  // namespace kt73b::res
