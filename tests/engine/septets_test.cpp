#include "engine/septets.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace kt73b {
namespace {

TEST(Septets, EncodeLowSeptetFirst) {
    std::array<std::uint8_t, 5> out{};
    EncodeSeptets(0x040000, out.data());
    EXPECT_EQ(out, (std::array<std::uint8_t, 5>{0x00, 0x00, 0x10, 0x00, 0x00}));
    EncodeSeptets(0x2C7000, out.data());
    EXPECT_EQ(out, (std::array<std::uint8_t, 5>{0x00, 0x60, 0x31, 0x01, 0x00}));
}

TEST(Septets, FifthSeptetCarriesBitsTwentyEightToThirtyOne) {
    std::array<std::uint8_t, 5> out{};
    EncodeSeptets(0xFFFFFFFFu, out.data());
    EXPECT_EQ(out, (std::array<std::uint8_t, 5>{0x7F, 0x7F, 0x7F, 0x7F, 0x0F}));
}

TEST(Septets, ChunkLengthUsesTwoSeptetsAndTouchesNothingElse) {
    std::array<std::uint8_t, 4> out{0xAA, 0xAA, 0xAA, 0xAA};
    EncodeSeptets(2048, out.data(), 2);
    EXPECT_EQ(out, (std::array<std::uint8_t, 4>{0x00, 0x10, 0xAA, 0xAA}));
}

TEST(Septets, DecodeRoundTripsAndRejectsBitSeven) {
    for (std::uint32_t value : {0u, 1u, 0x7Fu, 0x80u, 0x3B6800u, 0xCADBBE3Du, 0xFFFFFFFFu}) {
        std::array<std::uint8_t, 5> encoded{};
        EncodeSeptets(value, encoded.data());
        std::uint32_t decoded = 0;
        ASSERT_TRUE(DecodeSeptets(encoded.data(), 5, decoded));
        EXPECT_EQ(decoded, value);
    }
    const std::array<std::uint8_t, 5> broken{0x00, 0x80, 0x00, 0x00, 0x00};
    std::uint32_t untouched = 1234;
    EXPECT_FALSE(DecodeSeptets(broken.data(), 5, untouched));
    EXPECT_EQ(untouched, 1234u);
}

}  // namespace
}  // namespace kt73b
