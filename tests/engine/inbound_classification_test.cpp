#include "engine/inbound_classification.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace kt73b {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint8_t kModel = 0x57;

// Copies the message into a heap block of exactly its length, so that ASan reports any read past
// its end, as happens with the copies the input port queues.
InboundAction Classify(const Bytes& message, std::uint8_t model = kModel) {
    auto exact = std::make_unique<std::uint8_t[]>(message.size());
    std::copy(message.begin(), message.end(), exact.get());
    return ClassifyInbound(exact.get(), message.size(), model);
}

constexpr InboundAction kDrop{InboundKind::kDrop, 0};
constexpr InboundAction Status(std::uint8_t s) {
    return {InboundKind::kReplyStatus, s};
}
constexpr InboundAction Answer(std::uint8_t r) {
    return {InboundKind::kSendReply, r};
}
constexpr InboundAction Identity(std::uint8_t m) {
    return {InboundKind::kReportedModel, m};
}
constexpr InboundAction kAnswerIdentity{InboundKind::kSendIdentityReply, 0};

TEST(ClassifyInbound, ManufacturerFramesWithTheModelByte) {
    EXPECT_EQ(Classify({0xF0, 0x52, 0x00, 0x57, 0x00, 0x00, 0xF7}), Status(0));
    EXPECT_EQ(Classify({0xF0, 0x52, 0x00, 0x57, 0x00, 0x08, 0xF7}), Status(8));
    EXPECT_EQ(Classify({0xF0, 0x52, 0x00, 0x57, 0x00, 0x0B, 0xF7}), Status(11));
    EXPECT_EQ(Classify({0xF0, 0x52, 0x00, 0x57, 0x01, 0xF7}), Answer(0));
    EXPECT_EQ(Classify({0xF0, 0x52, 0x00, 0x57, 0x02, 0xF7}), Status(0));
    EXPECT_EQ(Classify({0xF0, 0x52, 0x00, 0x57, 0x03, 0xF7}), kDrop);
    EXPECT_EQ(Classify({0xF0, 0x52, 0x00, 0x57, 0x04, 0xF7}), Answer(0));
    EXPECT_EQ(Classify({0xF0, 0x52, 0x00, 0x57, 0x05, 0xF7}), Answer(0));
    for (int command = 0x06; command <= 0xFF; ++command) {
        EXPECT_EQ(Classify({0xF0, 0x52, 0x00, 0x57, static_cast<std::uint8_t>(command), 0xF7}),
                  Answer(1))
            << "command " << command;
    }
}

TEST(ClassifyInbound, DeviceByteAndEndByteAreNeverExamined) {
    EXPECT_EQ(Classify({0xF0, 0x52, 0x7F, 0x57, 0x00, 0x03, 0x00}), Status(3));
    EXPECT_EQ(Classify({0xF0, 0x7E, 0x10, 0x06, 0x02, 0x00, 0x58, 0x00}),
              (InboundAction{InboundKind::kReportedModel, 0x58}));
}

TEST(ClassifyInbound, FramesOfAnotherModelAreDropped) {
    EXPECT_EQ(Classify({0xF0, 0x52, 0x00, 0x58, 0x00, 0x00, 0xF7}), kDrop);
    EXPECT_EQ(Classify({0xF0, 0x52, 0x00, 0x58, 0x07, 0xF7}), kDrop);
    // The same frame counts once the model byte has become 0x58.
    EXPECT_EQ(Classify({0xF0, 0x52, 0x00, 0x58, 0x00, 0x00, 0xF7}, 0x58), Status(0));
}

TEST(ClassifyInbound, GeneralInformationMessages) {
    EXPECT_EQ(Classify({0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7}),
              (InboundAction{InboundKind::kSendIdentityReply, 0}));
    EXPECT_EQ(Classify({0xF0, 0x7E, 0x00, 0x06, 0x02, 0x52, 0x59, 0x00, 0x00, 0x00, 0x31, 0x30,
                        0x30, 0x30, 0xF7}),
              (InboundAction{InboundKind::kReportedModel, 0x59}));
    EXPECT_EQ(Classify({0xF0, 0x7E, 0x00, 0x06, 0x03, 0xF7}), Answer(1));
    EXPECT_EQ(Classify({0xF0, 0x7E, 0x00, 0x07, 0x01, 0xF7}), kDrop);
}

TEST(ClassifyInbound, EverythingElseIsDropped) {
    EXPECT_EQ(Classify({0xF0, 0x43, 0x00, 0x57, 0x00, 0x00, 0xF7}), kDrop);
    EXPECT_EQ(Classify({0xF0, 0x7F, 0x00, 0x06, 0x01, 0xF7}), kDrop);
    EXPECT_EQ(Classify({0x90, 0x52, 0x00, 0x57, 0x00, 0x00, 0xF7}), kDrop);
    EXPECT_EQ(ClassifyInbound(nullptr, 7, kModel), kDrop);
}

// Each message cut to every length from 0 to 7: a cut that removes a byte the class reads makes it
// a drop; ASan proves no read goes past the cut.
TEST(ClassifyInbound, ShortMessagesNeverReadPastTheirEnd) {
    const Bytes reply{0xF0, 0x52, 0x00, 0x57, 0x00, 0x05, 0xF7};
    const Bytes command{0xF0, 0x52, 0x00, 0x57, 0x07, 0xF7};
    const Bytes identity{0xF0, 0x7E, 0x00, 0x06, 0x02, 0x52, 0x57, 0x00};
    const Bytes request{0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7};
    for (std::size_t length = 0; length <= 7; ++length) {
        auto cut = [length](const Bytes& m) {
            return Bytes(m.begin(),
                         m.begin() + static_cast<std::ptrdiff_t>(std::min(length, m.size())));
        };
        EXPECT_EQ(Classify(cut(reply)), length >= 6 ? Status(5) : kDrop) << length;
        EXPECT_EQ(Classify(cut(command)), length >= 5 ? Answer(1) : kDrop) << length;
        EXPECT_EQ(Classify(cut(identity)), length >= 7 ? Identity(0x57) : kDrop) << length;
        EXPECT_EQ(Classify(cut(request)), length >= 5 ? kAnswerIdentity : kDrop) << length;
    }
}

}  // namespace
}  // namespace kt73b
