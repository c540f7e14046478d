// The encodings of the device's frames: packed data, 32-bit values in septets, and the chunk's
// check value.
#include "engine/seven_bit_pack.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "engine/chunk_crc.h"
#include "engine/protocol_constants.h"
#include "engine/septets.h"

namespace kt73b {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Pack(const Bytes& input) {
    Bytes out(PackedLength(input.size()) + 4, 0xEE);
    const std::size_t n = PackSevenBit(out.data(), input.data(), input.size());
    EXPECT_EQ(n, PackedLength(input.size()));
    EXPECT_EQ(out[n], 0xEE) << "wrote past the packed length";
    out.resize(n);
    return out;
}

TEST(PackSevenBit, KnownExamples) {
    EXPECT_EQ(Pack({0x80, 0x01, 0xFF}), (Bytes{0x50, 0x00, 0x01, 0x7F}));
    EXPECT_EQ(Pack(Bytes(9, 0xFF)),
              (Bytes{0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x60, 0x7F, 0x7F}));
    EXPECT_EQ(Pack({}), Bytes{});
}

TEST(PackSevenBit, UnpackGivesBackWhatWasPackedForEveryLengthUpToAChunk) {
    std::mt19937 random(73);
    std::uniform_int_distribution<int> byte(0, 255);
    for (std::size_t length = 0; length <= kWriteChunkBytes; ++length) {
        Bytes input(length);
        for (auto& b : input) {
            b = static_cast<std::uint8_t>(byte(random));
        }
        const Bytes packed = Pack(input);
        Bytes output(length + 1, 0xEE);
        const std::ptrdiff_t n = UnpackSevenBit(output.data(), packed.data(), packed.size());
        ASSERT_EQ(n, static_cast<std::ptrdiff_t>(length)) << "length " << length;
        output.resize(length);
        ASSERT_EQ(output, input) << "length " << length;
    }
}

TEST(UnpackSevenBit, RejectsWhatNoPackingProduces) {
    Bytes out(16);
    // A last group without data, bit 7 in a data byte and in a leading byte, and a top bit
    // claimed for a second byte that is not there.
    for (const Bytes& packed : {Bytes{0x00, 1, 2, 3, 4, 5, 6, 7, 0x00}, Bytes{0x00, 0x81},
                                Bytes{0x80, 0x01}, Bytes{0x20, 0x01}}) {
        EXPECT_EQ(UnpackSevenBit(out.data(), packed.data(), packed.size()), -1)
            << ::testing::PrintToString(packed);
    }
}

TEST(Septets, DecodeRoundTripsAndRejectsBitSeven) {
    for (std::uint32_t value : {0u, 0x7Fu, 0x80u, 0x3B6800u, 0xCADBBE3Du, 0xFFFFFFFFu}) {
        std::array<std::uint8_t, 5> encoded{};
        EncodeSeptets(value, encoded.data());
        std::uint32_t decoded = 0;
        ASSERT_TRUE(DecodeSeptets(encoded.data(), 5, decoded));
        EXPECT_EQ(decoded, value);
    }
    const std::uint8_t broken[] = {0x00, 0x80, 0x00, 0x00, 0x00};
    std::uint32_t untouched = 1234;
    EXPECT_FALSE(DecodeSeptets(broken, 5, untouched));
    EXPECT_EQ(untouched, 1234u);
}

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
