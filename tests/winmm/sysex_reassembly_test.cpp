#include "platform/winmm/alsa/sysex_reassembly.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kt73b::winmm {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Message(std::size_t length) {
    Bytes message(length);
    for (std::size_t i = 0; i < length; ++i) {
        message[i] = static_cast<std::uint8_t>(i % 0x7F);
    }
    message.front() = 0xF0;
    message.back() = 0xF7;
    return message;
}

// Feeds `message` in pieces of at most `piece` bytes, as the kernel delivers it; returns the
// messages completed.
std::vector<Bytes> FeedInPieces(SysExReassembler& joiner, const Bytes& message, std::size_t piece) {
    std::vector<Bytes> completed;
    for (std::size_t offset = 0; offset < message.size(); offset += piece) {
        const std::size_t count = std::min(piece, message.size() - offset);
        if (joiner.Feed(message.data() + offset, count)) {
            completed.push_back(joiner.Message());
        }
    }
    return completed;
}

TEST(SysExReassembly, AWriteFrameInKernelPiecesBecomesOneWholeMessage) {
    SysExReassembler joiner;
    const Bytes frame = Message(2359);
    const auto completed = FeedInPieces(joiner, frame, 256);
    ASSERT_EQ(completed.size(), 1u);
    EXPECT_EQ(completed[0], frame);
}

TEST(SysExReassembly, MessagesThatFitOnePieceOrEndExactlyOnAPieceBoundary) {
    SysExReassembler joiner;
    EXPECT_EQ(FeedInPieces(joiner, Message(7), 256), (std::vector<Bytes>{Message(7)}));
    EXPECT_EQ(FeedInPieces(joiner, Message(512), 256), (std::vector<Bytes>{Message(512)}));
}

TEST(SysExReassembly, ANewStartDropsTheUnfinishedMessage) {
    SysExReassembler joiner;
    const Bytes frame = Message(600);
    EXPECT_FALSE(joiner.Feed(frame.data(), 256));
    const Bytes answer{0xF0, 0x52, 0x00, 0x57, 0x00, 0x00, 0xF7};
    ASSERT_TRUE(joiner.Feed(answer.data(), answer.size()));
    EXPECT_EQ(joiner.Message(), answer);
}

TEST(SysExReassembly, APieceThatContinuesNothingIsDropped) {
    SysExReassembler joiner;
    const Bytes tail{0x01, 0x02, 0xF7};
    EXPECT_FALSE(joiner.Feed(tail.data(), tail.size()));
    const Bytes whole{0xF0, 0x03, 0xF7};
    ASSERT_TRUE(joiner.Feed(whole.data(), whole.size()));
    EXPECT_EQ(joiner.Message(), whole);
}

TEST(SysExReassembly, AMessageLongerThanTheLimitIsDroppedWhole) {
    SysExReassembler joiner(1000);
    EXPECT_TRUE(FeedInPieces(joiner, Message(2359), 256).empty());
    EXPECT_EQ(FeedInPieces(joiner, Message(999), 256).size(), 1u);
}

}  // namespace
}  // namespace kt73b::winmm
