#include "emulator/sysex_assembler.h"

#include <gtest/gtest.h>

#include <vector>

namespace kt73b::emu {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Case {
    const char* what;
    std::vector<Bytes> pieces;
    std::vector<Bytes> messages;
};

TEST(SysExAssembler, JoinsPiecesAndHandsOnCutMessagesAsTheyAre) {
    const Case cases[] = {
        {"whole messages pass as they are",
         {{0xF0, 0x7E, 0x06, 0xF7}, {0xF0, 0x52, 0x04, 0xF7, 0xF0, 0x52, 0x01, 0xF7}},
         {{0xF0, 0x7E, 0x06, 0xF7}, {0xF0, 0x52, 0x04, 0xF7}, {0xF0, 0x52, 0x01, 0xF7}}},
        {"pieces are joined",
         {{0xF0, 0x52}, {0x00, 0x57}, {0x04, 0xF7}},
         {{0xF0, 0x52, 0x00, 0x57, 0x04, 0xF7}}},
        {"cut messages are handed on",
         {{0xF0, 0x52, 0x00, 0xF0, 0x7E, 0xF7}, {0xF0, 0x52, 0x90, 0x40, 0x7F}},
         {{0xF0, 0x52, 0x00}, {0xF0, 0x7E, 0xF7}, {0xF0, 0x52}}},
        {"real-time bytes inside and other messages outside are left out",
         {{0x90, 0x40, 0x7F, 0xF8, 0xF0, 0x52, 0xFE, 0x00, 0xF7, 0x80, 0x40}},
         {{0xF0, 0x52, 0x00, 0xF7}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<Bytes> messages;
        SysExAssembler assembler(
            [&](std::span<const std::uint8_t> m) { messages.emplace_back(m.begin(), m.end()); });
        for (const Bytes& piece : c.pieces) {
            assembler.Feed(piece);
        }
        EXPECT_EQ(messages, c.messages);
    }
}

}  // namespace
}  // namespace kt73b::emu
