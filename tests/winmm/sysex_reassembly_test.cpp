#include "platform/winmm/sysex_reassembly.h"

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

struct Joiner {
    explicit Joiner(CutMessages cut, std::size_t maxBytes = SysExReassembler::kDefaultMaxBytes)
        : reassembler(
              cut,
              [this](std::span<const std::uint8_t> m) { out.emplace_back(m.begin(), m.end()); },
              maxBytes) {}

    // Feeds `bytes` in pieces of at most `piece` bytes (the kernel's are 256); returns and
    // forgets the messages completed.
    std::vector<Bytes> Feed(const Bytes& bytes, std::size_t piece = 256) {
        for (std::size_t at = 0; at < bytes.size(); at += piece) {
            reassembler.Feed(std::span(bytes).subspan(at, std::min(piece, bytes.size() - at)));
        }
        return std::exchange(out, {});
    }

    std::vector<Bytes> out;
    SysExReassembler reassembler;
};

// Up to the limit; a longer one is dropped whole, by host and device alike.
TEST(SysExReassembly, MessagesInKernelPiecesBecomeOneWholeMessageEach) {
    for (const CutMessages cut : {CutMessages::kDrop, CutMessages::kHandOn}) {
        Joiner joiner(cut, 2359);
        for (const std::size_t length : {2359u, 7u, 512u}) {  // 512 ends on a piece boundary
            EXPECT_EQ(joiner.Feed(Message(length)), std::vector<Bytes>{Message(length)});
        }
        EXPECT_TRUE(joiner.Feed(Message(2360)).empty());
        EXPECT_EQ(joiner.Feed(Message(7)).size(), 1u);
    }
}

// What a cut-off message becomes is the one difference: the host drops it, the device hands it
// on to report it. Real-time bytes and bytes outside a message count for neither.
TEST(SysExReassembly, ACutOffMessageIsDroppedByTheHostAndHandedOnByTheDevice) {
    const Bytes answer{0xF0, 0x52, 0x00, 0x57, 0x00, 0x00, 0xF7};
    const struct {
        const char* what;
        Bytes stream;
        std::vector<Bytes> host;
        std::vector<Bytes> device;
    } cases[] = {
        {"cut by a new start",
         {0xF0, 0x52, 0x00, 0xF0, 0x7E, 0xF7},
         {{0xF0, 0x7E, 0xF7}},
         {{0xF0, 0x52, 0x00}, {0xF0, 0x7E, 0xF7}}},
        {"cut by another status byte", {0xF0, 0x52, 0x90, 0x40, 0x7F}, {}, {{0xF0, 0x52}}},
        {"a tail that continues nothing",
         {0x01, 0x02, 0xF7, 0xF0, 0x01, 0xF7},
         {{0xF0, 0x01, 0xF7}},
         {{0xF0, 0x01, 0xF7}}},
        {"real-time inside, a note outside",
         {0x90, 0x40, 0x7F, 0xF8, 0xF0, 0x52, 0xFE, 0x00, 0xF7, 0x80, 0x40},
         {{0xF0, 0x52, 0x00, 0xF7}},
         {{0xF0, 0x52, 0x00, 0xF7}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Joiner host(CutMessages::kDrop);
        Joiner device(CutMessages::kHandOn);
        EXPECT_EQ(host.Feed(c.stream, 2), c.host);
        EXPECT_EQ(device.Feed(c.stream, 2), c.device);
        // Whatever came before, the next whole message passes.
        EXPECT_EQ(host.Feed(answer), std::vector<Bytes>{answer});
        EXPECT_EQ(device.Feed(answer), std::vector<Bytes>{answer});
    }
}

}  // namespace
}  // namespace kt73b::winmm
