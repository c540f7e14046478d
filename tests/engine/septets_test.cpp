#include "engine/septets.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace kt73b {
namespace {

using Septets = std::array<std::uint8_t, 5>;

TEST(Septets, DecodeRoundTripsAndRejectsBitSeven) {
    for (std::uint32_t value : {0u, 0x7Fu, 0x80u, 0x3B6800u, 0xCADBBE3Du, 0xFFFFFFFFu}) {
        Septets encoded{};
        EncodeSeptets(value, encoded.data());
        std::uint32_t decoded = 0;
        ASSERT_TRUE(DecodeSeptets(encoded.data(), 5, decoded));
        EXPECT_EQ(decoded, value);
    }
    const Septets broken{0x00, 0x80, 0x00, 0x00, 0x00};
    std::uint32_t untouched = 1234;
    EXPECT_FALSE(DecodeSeptets(broken.data(), 5, untouched));
    EXPECT_EQ(untouched, 1234u);
}

}  // namespace
}  // namespace kt73b
