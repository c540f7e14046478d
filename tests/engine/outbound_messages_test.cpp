#include "engine/outbound_messages.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "engine/chunk_crc.h"
#include "engine/protocol_constants.h"
#include "engine/septets.h"
#include "engine/seven_bit_pack.h"

namespace kt73b {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint8_t kModel = 0x57;

class OutboundMessages : public ::testing::Test {
  protected:
    Bytes Take(std::size_t length) {
        EXPECT_GT(length, 0u);
        return Bytes(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(length));
    }
    std::array<std::uint8_t, kMessageBufferBytes> buffer_{};
};

TEST_F(OutboundMessages, EachShortMessageHasItsKnownBytes) {
    EXPECT_EQ(Take(BuildIdentityRequest(buffer_)), (Bytes{0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7}));
    EXPECT_EQ(Take(BuildUpdateModeRequest(buffer_, kModel)),
              (Bytes{0xF0, 0x52, 0x00, 0x57, 0x01, 0xF7}));
    EXPECT_EQ(Take(BuildFinishRequest(buffer_, 0x58)), (Bytes{0xF0, 0x52, 0x00, 0x58, 0x04, 0xF7}));
    EXPECT_EQ(Take(BuildReplyFrame(buffer_, kModel, kReplyRefuse)),
              (Bytes{0xF0, 0x52, 0x00, 0x57, 0x00, 0x01, 0xF7}));
    EXPECT_EQ(Take(BuildHostIdentityReply(buffer_, 0x58)),
              (Bytes{0xF0, 0x7E, 0x00, 0x06, 0x02, 0x52, 0x58, 0x00, 0x00, 0x00, 0x31, 0x30, 0x30,
                     0x30, 0xF7}));
    EXPECT_EQ(Take(BuildEraseRequest(buffer_, kModel, 0x0F0000, 0x2C7000)),
              (Bytes{0xF0, 0x52, 0x00, 0x57, 0x0A, 0x00, 0x00, 0x3C, 0x00, 0x00, 0x00, 0x60, 0x31,
                     0x01, 0x00, 0xF7}));
}

TEST_F(OutboundMessages, WriteFrameHasItsHeaderAndDecodesBackToTheChunk) {
    Bytes chunk(kWriteChunkBytes);
    for (std::size_t i = 0; i < chunk.size(); ++i) {
        chunk[i] = static_cast<std::uint8_t>(i * 37);  // every byte value, half with bit 7
    }
    const std::size_t length = BuildWriteDataFrame(buffer_, 0x58, 0x0F0800, chunk);
    ASSERT_EQ(length, kFullWriteFrameBytes);
    const Bytes frame = Take(length);
    EXPECT_EQ(Bytes(frame.begin(), frame.begin() + 12),
              (Bytes{0xF0, 0x52, 0x00, 0x58, 0x02, 0x00, 0x10, 0x3C, 0x00, 0x00, 0x00, 0x10}));
    const std::size_t packed = PackedLength(chunk.size());
    Bytes unpacked(chunk.size());
    ASSERT_EQ(UnpackSevenBit(unpacked.data(), &frame[12], packed),
              static_cast<std::ptrdiff_t>(chunk.size()));
    EXPECT_EQ(unpacked, chunk);
    std::uint32_t crc = 0;
    ASSERT_TRUE(DecodeSeptets(&frame[12 + packed], 5, crc));
    EXPECT_EQ(crc, ChunkCrc(chunk.data(), chunk.size()));
    EXPECT_EQ(frame.back(), 0xF7);
    for (std::size_t i = 1; i + 1 < length; ++i) {
        ASSERT_LT(frame[i], 0x80) << "data byte with bit 7 at offset " << i;
    }
}

TEST(OutboundMessagesStorage, RefusesStorageTooSmallAndChunksTooLong) {
    std::array<std::uint8_t, kEraseRequestBytes - 1> small{};
    EXPECT_EQ(BuildEraseRequest(small, kModel, 0, 0), 0u);
    EXPECT_EQ(BuildHostIdentityReply(std::span<std::uint8_t>(small).first(14), 0), 0u);
    EXPECT_EQ(BuildReplyFrame(std::span<std::uint8_t>(small).first(6), kModel, 0), 0u);
    std::array<std::uint8_t, kFullWriteFrameBytes - 1> almost{};
    const Bytes chunk(kWriteChunkBytes, 0);
    EXPECT_EQ(BuildWriteDataFrame(almost, kModel, 0, chunk), 0u);
    const Bytes tooLong(kMaxChunkBytes + 1, 0);
    std::vector<std::uint8_t> big(kMessageBufferBytes);
    EXPECT_EQ(BuildWriteDataFrame(big, kModel, 0, tooLong), 0u);
    const Bytes longest(kMaxChunkBytes, 0xFF);
    EXPECT_EQ(BuildWriteDataFrame(big, kModel, 0, longest), WriteFrameBytes(kMaxChunkBytes));
}

}  // namespace
}  // namespace kt73b
