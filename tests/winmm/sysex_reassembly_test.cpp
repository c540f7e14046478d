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

// Feeds `message` in pieces of at most 256 bytes, as the kernel delivers it; returns the
// messages completed.
std::vector<Bytes> FeedInPieces(SysExReassembler& joiner, const Bytes& message) {
    std::vector<Bytes> completed;
    for (std::size_t offset = 0; offset < message.size(); offset += 256) {
        const std::size_t count = std::min<std::size_t>(256, message.size() - offset);
        if (joiner.Feed(message.data() + offset, count)) {
            completed.push_back(joiner.Message());
        }
    }
    return completed;
}

// Up to the limit; a longer one is dropped whole.
TEST(SysExReassembly, MessagesInKernelPiecesBecomeOneWholeMessageEach) {
    SysExReassembler joiner(2359);
    for (const std::size_t length : {2359u, 7u, 512u}) {  // 512 ends exactly on a piece boundary
        EXPECT_EQ(FeedInPieces(joiner, Message(length)), std::vector<Bytes>{Message(length)});
    }
    EXPECT_TRUE(FeedInPieces(joiner, Message(2360)).empty());
    EXPECT_EQ(FeedInPieces(joiner, Message(7)).size(), 1u);
}

TEST(SysExReassembly, ANewStartOrAPieceThatContinuesNothingDropsTheUnfinished) {
    SysExReassembler joiner;
    const Bytes frame = Message(600);
    EXPECT_FALSE(joiner.Feed(frame.data(), 256));
    const Bytes answer{0xF0, 0x52, 0x00, 0x57, 0x00, 0x00, 0xF7};
    ASSERT_TRUE(joiner.Feed(answer.data(), answer.size()));
    EXPECT_EQ(joiner.Message(), answer);

    const Bytes tail{0x01, 0x02, 0xF7};
    EXPECT_FALSE(joiner.Feed(tail.data(), tail.size()));
    ASSERT_TRUE(joiner.Feed(answer.data(), answer.size()));
    EXPECT_EQ(joiner.Message(), answer);
}

}  // namespace
}  // namespace kt73b::winmm
