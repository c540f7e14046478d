#include "emulator/sysex_assembler.h"

#include <gtest/gtest.h>

#include <vector>

namespace kt73b::emu {
namespace {

using Bytes = std::vector<std::uint8_t>;

class SysExAssemblerTest : public ::testing::Test {
  protected:
    std::vector<Bytes> messages_;
    SysExAssembler assembler_{
        [this](std::span<const std::uint8_t> m) { messages_.emplace_back(m.begin(), m.end()); }};
};

TEST_F(SysExAssemblerTest, WholeMessagesPassAsTheyAre) {
    assembler_.Feed(Bytes{0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7});
    assembler_.Feed(Bytes{0xF0, 0x52, 0x00, 0x57, 0x04, 0xF7, 0xF0, 0x52, 0x00, 0x57, 0x01, 0xF7});
    EXPECT_EQ(messages_, (std::vector<Bytes>{{0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7},
                                             {0xF0, 0x52, 0x00, 0x57, 0x04, 0xF7},
                                             {0xF0, 0x52, 0x00, 0x57, 0x01, 0xF7}}));
}

TEST_F(SysExAssemblerTest, PiecesAreJoined) {
    assembler_.Feed(Bytes{0xF0, 0x52});
    assembler_.Feed(Bytes{0x00, 0x57});
    EXPECT_TRUE(messages_.empty());
    assembler_.Feed(Bytes{0x04, 0xF7});
    EXPECT_EQ(messages_, (std::vector<Bytes>{{0xF0, 0x52, 0x00, 0x57, 0x04, 0xF7}}));
}

TEST_F(SysExAssemblerTest, CutMessagesAreHandedOnAsTheyAre) {
    assembler_.Feed(Bytes{0xF0, 0x52, 0x00, 0xF0, 0x7E, 0xF7});
    assembler_.Feed(Bytes{0xF0, 0x52, 0x90, 0x40, 0x7F});
    EXPECT_EQ(messages_,
              (std::vector<Bytes>{{0xF0, 0x52, 0x00}, {0xF0, 0x7E, 0xF7}, {0xF0, 0x52}}));
}

TEST_F(SysExAssemblerTest, RealTimeBytesInsideAndOtherMessagesOutsideAreLeftOut) {
    assembler_.Feed(Bytes{0x90, 0x40, 0x7F, 0xF8, 0xF0, 0x52, 0xFE, 0x00, 0xF7, 0x80, 0x40});
    EXPECT_EQ(messages_, (std::vector<Bytes>{{0xF0, 0x52, 0x00, 0xF7}}));
}

}  // namespace
}  // namespace kt73b::emu
