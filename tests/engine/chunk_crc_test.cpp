#include "engine/chunk_crc.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>

#include "engine/septets.h"

namespace kt73b {
namespace {

std::uint32_t CrcOf(const char* text) {
    return ChunkCrc(reinterpret_cast<const std::uint8_t*>(text), std::strlen(text));
}

TEST(ChunkCrc, IsTheComplementOfTheUsualCrc32) {
    EXPECT_EQ(CrcOf("abc"), 0xCADBBE3Du);
    // The catalogue check value of CRC-32 over "123456789" is 0xCBF43926.
    EXPECT_EQ(CrcOf("123456789"), ~0xCBF43926u);
    EXPECT_EQ(ChunkCrc(nullptr, 0), 0xFFFFFFFFu);
}

TEST(ChunkCrc, SentAsFiveSeptets) {
    std::array<std::uint8_t, 5> out{};
    EncodeSeptets(CrcOf("abc"), out.data());
    EXPECT_EQ(out, (std::array<std::uint8_t, 5>{0x3D, 0x7C, 0x6E, 0x56, 0x0C}));
}

TEST(ChunkCrc, EveryBitOfEveryByteCounts) {
    std::array<std::uint8_t, 64> data{};
    const std::uint32_t clean = ChunkCrc(data.data(), data.size());
    for (std::size_t i = 0; i < data.size(); ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            data[i] ^= static_cast<std::uint8_t>(1 << bit);
            ASSERT_NE(ChunkCrc(data.data(), data.size()), clean) << i << ':' << bit;
            data[i] ^= static_cast<std::uint8_t>(1 << bit);
        }
    }
}

}  // namespace
}  // namespace kt73b
