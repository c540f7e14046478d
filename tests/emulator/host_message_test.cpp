#include "emulator/host_message.h"

#include <gtest/gtest.h>

#include "engine/septets.h"
#include "virtual_host.h"

namespace kt73b::emu {
namespace {

using testing::Bytes;

TEST(HostMessage_Requests, EachKindWithItsFields) {
    EXPECT_EQ(ParseHostMessage(testing::IdentityRequest()).kind, HostMessageKind::kIdentityRequest);
    EXPECT_EQ(ParseHostMessage(testing::UpdateModeRequest()).kind,
              HostMessageKind::kUpdateModeRequest);
    EXPECT_EQ(ParseHostMessage(testing::FinishRequest(0x58)).model, 0x58);

    const HostMessage erase = ParseHostMessage(testing::EraseRequest(0x0F0000, 0x2C7000));
    EXPECT_EQ(erase.kind, HostMessageKind::kEraseRequest);
    EXPECT_EQ(erase.problem, FrameProblem::kNone);
    EXPECT_EQ(erase.address, 0x0F0000u);
    EXPECT_EQ(erase.size, 0x2C7000u);

    const Bytes chunk = testing::Chunk();
    const HostMessage write = ParseHostMessage(testing::WriteFrame(0x3B6800, chunk));
    EXPECT_EQ(write.kind, HostMessageKind::kWriteData);
    EXPECT_EQ(write.problem, FrameProblem::kNone) << write.problemText;
    EXPECT_EQ(write.address, 0x3B6800u);
    EXPECT_EQ(write.size, 2048u);
    EXPECT_EQ(write.data, chunk);
}

TEST(HostMessage_Requests, ShortAndOddChunksUnpack) {
    for (std::size_t length : {1u, 6u, 7u, 8u, 13u, 16383u}) {
        const Bytes chunk = testing::Chunk(length, static_cast<std::uint8_t>(length));
        const HostMessage write = ParseHostMessage(testing::WriteFrame(0x1000, chunk));
        EXPECT_EQ(write.problem, FrameProblem::kNone) << length << ": " << write.problemText;
        EXPECT_EQ(write.data, chunk) << length;
    }
}

TEST(HostMessage_HostAnswers, ReplyFrameAndIdentityReply) {
    const HostMessage reply = ParseHostMessage(testing::HostReply(1));
    EXPECT_EQ(reply.kind, HostMessageKind::kHostReply);
    EXPECT_EQ(reply.value, 1);

    const Bytes identity = {0xF0, 0x7E, 0x00, 0x06, 0x02, 0x52, 0x57, 0x00,
                            0x00, 0x00, 0x31, 0x30, 0x30, 0x30, 0xF7};
    const HostMessage parsed = ParseHostMessage(identity);
    EXPECT_EQ(parsed.kind, HostMessageKind::kHostIdentityReply);
    EXPECT_EQ(parsed.value, 0x57);
}

class HostMessage_Malformed : public ::testing::Test {
  protected:
    static void ExpectMalformed(const Bytes& bytes, HostMessageKind kind) {
        const HostMessage message = ParseHostMessage(bytes);
        EXPECT_EQ(message.kind, kind);
        EXPECT_EQ(message.problem, FrameProblem::kMalformed);
        EXPECT_FALSE(message.problemText.empty());
        EXPECT_TRUE(message.data.empty());
    }
    Bytes frame_ = testing::WriteFrame(0x040000, testing::Chunk());
};

TEST_F(HostMessage_Malformed, NothingOrNoSysEx) {
    ExpectMalformed({}, HostMessageKind::kUnknown);
    ExpectMalformed({0xF0}, HostMessageKind::kUnknown);
    ExpectMalformed({0x90, 0x40, 0x7F}, HostMessageKind::kUnknown);
    ExpectMalformed({0xF0, 0x41, 0x00, 0x57, 0x01, 0xF7}, HostMessageKind::kUnknown);
    ExpectMalformed({0xF0, 0x7E, 0x00, 0x07, 0x01, 0xF7}, HostMessageKind::kUnknown);
}

TEST_F(HostMessage_Malformed, TruncatedAtEveryLength) {
    // Every cut of a full frame, with and without an F7 put back at the end.
    for (std::size_t length = 6; length < frame_.size(); length += 97) {
        Bytes cut(frame_.begin(), frame_.begin() + static_cast<std::ptrdiff_t>(length));
        ExpectMalformed(cut, HostMessageKind::kWriteData);
        cut.back() = 0xF7;
        ExpectMalformed(cut, HostMessageKind::kWriteData);
    }
}

TEST_F(HostMessage_Malformed, ShortRequestsOfTheWrongLength) {
    Bytes updateMode = testing::UpdateModeRequest();
    updateMode.insert(updateMode.end() - 1, 0x00);
    ExpectMalformed(updateMode, HostMessageKind::kUpdateModeRequest);
    Bytes erase = testing::EraseRequest(0, 0x1000);
    erase.erase(erase.begin() + 7);
    ExpectMalformed(erase, HostMessageKind::kEraseRequest);
    ExpectMalformed({0xF0, 0x7E, 0x00, 0x06, 0x01, 0x00, 0xF7}, HostMessageKind::kIdentityRequest);
}

TEST_F(HostMessage_Malformed, StatusByteInsideOrMissingEnd) {
    Bytes merged = frame_;
    merged[100] = 0xF0;
    ExpectMalformed(merged, HostMessageKind::kWriteData);
    Bytes noEnd = testing::EraseRequest(0, 0x1000);
    noEnd.back() = 0x00;
    ExpectMalformed(noEnd, HostMessageKind::kEraseRequest);
}

TEST_F(HostMessage_Malformed, LengthSeptetsDisagreeWithTheFrame) {
    Bytes wrongLength = frame_;
    EncodeSeptets(2047, &wrongLength[10], 2);
    ExpectMalformed(wrongLength, HostMessageKind::kWriteData);
    Bytes zeroLength = frame_;
    EncodeSeptets(0, &zeroLength[10], 2);
    ExpectMalformed(zeroLength, HostMessageKind::kWriteData);
}

TEST_F(HostMessage_Malformed, PackingThatDoesNotUnpack) {
    // The last group holds 4 data bytes (2048 = 292 * 7 + 4): a leading bit for a fifth is no
    // packing.
    Bytes badPacking = frame_;
    const std::size_t lastLeading = 12 + 292 * 8;
    badPacking[lastLeading] = 0x04;
    ExpectMalformed(badPacking, HostMessageKind::kWriteData);
}

TEST_F(HostMessage_Malformed, CheckValueMismatchIsABadCrc) {
    Bytes flipped = frame_;
    flipped[500] ^= 0x01;  // one data bit
    const HostMessage message = ParseHostMessage(flipped);
    EXPECT_EQ(message.problem, FrameProblem::kBadCrc);
    EXPECT_NE(message.problemText.find("check value"), std::string::npos);

    Bytes badCrc = frame_;
    badCrc[badCrc.size() - 3] ^= 0x10;
    EXPECT_EQ(ParseHostMessage(badCrc).problem, FrameProblem::kBadCrc);
}

TEST(HostMessage_Unknown, UnknownMakerCommandKeepsModelAndCommand) {
    const HostMessage message = ParseHostMessage(Bytes{0xF0, 0x52, 0x00, 0x57, 0x07, 0xF7});
    EXPECT_EQ(message.kind, HostMessageKind::kUnknownCommand);
    EXPECT_TRUE(message.IsMakerFrame());
    EXPECT_EQ(message.model, 0x57);
    EXPECT_EQ(message.command, 0x07);
}

}  // namespace
}  // namespace kt73b::emu
