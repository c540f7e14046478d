#include "engine/outbound_messages.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "engine/chunk_crc.h"
#include "engine/image_set.h"
#include "engine/protocol_constants.h"
#include "engine/septets.h"
#include "engine/seven_bit_pack.h"
#include "engine/step_table.h"

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
    Bytes Prefix(std::size_t length, std::size_t count) {
        EXPECT_GE(length, count);
        return Bytes(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(count));
    }
    std::array<std::uint8_t, kMessageBufferBytes> buffer_{};
};

TEST_F(OutboundMessages, ShortRequestsAndReplies) {
    EXPECT_EQ(Take(BuildIdentityRequest(buffer_)), (Bytes{0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7}));
    EXPECT_EQ(Take(BuildUpdateModeRequest(buffer_, kModel)),
              (Bytes{0xF0, 0x52, 0x00, 0x57, 0x01, 0xF7}));
    EXPECT_EQ(Take(BuildFinishRequest(buffer_, 0x58)), (Bytes{0xF0, 0x52, 0x00, 0x58, 0x04, 0xF7}));
    EXPECT_EQ(Take(BuildReplyFrame(buffer_, kModel, kReplyRefuse)),
              (Bytes{0xF0, 0x52, 0x00, 0x57, 0x00, 0x01, 0xF7}));
}

TEST_F(OutboundMessages, HostIdentityReplyCarriesFamilyCode) {
    EXPECT_EQ(Take(BuildHostIdentityReply(buffer_, 0x00)),
              (Bytes{0xF0, 0x7E, 0x00, 0x06, 0x02, 0x52, 0x00, 0x00, 0x00, 0x00, 0x31, 0x30, 0x30,
                     0x30, 0xF7}));
    const Bytes withModel = Take(BuildHostIdentityReply(buffer_, 0x58));
    ASSERT_EQ(withModel.size(), kHostIdentityReplyBytes);
    EXPECT_EQ(withModel[6], 0x58);
}

TEST_F(OutboundMessages, EraseRequestsOfTheThreeRegionsInStepOrder) {
    const std::array<Bytes, 3> expected = {{
        {0xF0, 0x52, 0x00, 0x57, 0x0A, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 0x00, 0x2C, 0x00, 0x00,
         0xF7},
        {0xF0, 0x52, 0x00, 0x57, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00,
         0xF7},
        {0xF0, 0x52, 0x00, 0x57, 0x0A, 0x00, 0x00, 0x3C, 0x00, 0x00, 0x00, 0x60, 0x31, 0x01, 0x00,
         0xF7},
    }};
    std::size_t erase = 0;
    for (const StepRow& row : kStepTable) {
        if (row.type != kStepErase)
            continue;
        ASSERT_LT(erase, expected.size());
        EXPECT_EQ(Take(BuildEraseRequest(buffer_, kModel, row.address, row.size)), expected[erase])
            << "erase request " << erase;
        ++erase;
    }
    EXPECT_EQ(erase, 3u);
}

TEST_F(OutboundMessages, FirstWriteFramesOfTheThreeWriteSteps) {
    const std::array<Bytes, 3> expectedStarts = {{
        {0xF0, 0x52, 0x00, 0x57, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10},
        {0xF0, 0x52, 0x00, 0x57, 0x02, 0x00, 0x00, 0x3C, 0x00, 0x00, 0x00, 0x10},
        {0xF0, 0x52, 0x00, 0x57, 0x02, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 0x10},
    }};
    std::size_t write = 0;
    for (const StepRow& row : kStepTable) {
        if (row.type != kStepWrite)
            continue;
        const auto image = LookupImage(row.imageId);
        ASSERT_GE(image.size(), kWriteChunkBytes);
        const std::size_t length =
            BuildWriteDataFrame(buffer_, kModel, row.address, image.first(kWriteChunkBytes));
        EXPECT_EQ(length, 2359u);
        EXPECT_EQ(Prefix(length, 12), expectedStarts[write]) << "write step " << write;
        ++write;
    }
}

TEST_F(OutboundMessages, LastChunkOfTheHighRegionAddressesItsLastKilobytes) {
    const StepRow& high = kStepTable[4];
    const std::uint32_t lastAddress = high.address + high.size - kWriteChunkBytes;
    EXPECT_EQ(lastAddress, 0x3B6800u);
    const auto image = LookupImage(high.imageId);
    ASSERT_EQ(Take(BuildWriteDataFrame(buffer_, kModel, lastAddress, image.last(kWriteChunkBytes)))
                  .size(),
              2359u);
    std::uint32_t address = 0;
    ASSERT_TRUE(DecodeSeptets(&buffer_[5], 5, address));
    EXPECT_EQ(address, 0x3B6800u);
}

TEST_F(OutboundMessages, WriteFrameLayoutDecodesBackToTheChunk) {
    Bytes chunk(kWriteChunkBytes);
    for (std::size_t i = 0; i < chunk.size(); ++i)
        chunk[i] = static_cast<std::uint8_t>(i * 37);
    const std::size_t length = BuildWriteDataFrame(buffer_, 0x58, 0x0F0800, chunk);
    ASSERT_EQ(length, kFullWriteFrameBytes);
    const std::size_t packed = PackedLength(chunk.size());
    EXPECT_EQ(buffer_[3], 0x58);
    EXPECT_EQ(buffer_[10], 0x00);  // 2048: low septet 0, high septet 0x10
    EXPECT_EQ(buffer_[11], 0x10);
    Bytes unpacked(chunk.size());
    ASSERT_EQ(UnpackSevenBit(unpacked.data(), &buffer_[12], packed),
              static_cast<std::ptrdiff_t>(chunk.size()));
    EXPECT_EQ(unpacked, chunk);
    std::uint32_t crc = 0;
    ASSERT_TRUE(DecodeSeptets(&buffer_[12 + packed], 5, crc));
    EXPECT_EQ(crc, ChunkCrc(chunk.data(), chunk.size()));
    EXPECT_EQ(buffer_[17 + packed], 0xF7);
    for (std::size_t i = 1; i + 1 < length; ++i) {
        ASSERT_LT(buffer_[i], 0x80) << "data byte with bit 7 at offset " << i;
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
