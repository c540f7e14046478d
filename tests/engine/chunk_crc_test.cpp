#include "engine/chunk_crc.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

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

}  // namespace
}  // namespace kt73b
