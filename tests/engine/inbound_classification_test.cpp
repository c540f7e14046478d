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
constexpr auto Status = [](std::uint8_t s) { return InboundAction{InboundKind::kReplyStatus, s}; };
constexpr auto Answer = [](std::uint8_t r) { return InboundAction{InboundKind::kSendReply, r}; };
constexpr auto Identity = [](std::uint8_t m) {
    return InboundAction{InboundKind::kReportedModel, m};
};
constexpr InboundAction kAnswerIdentity{InboundKind::kSendIdentityReply, 0};

struct Case {
    Bytes message;
    InboundAction action;
    std::uint8_t model = kModel;
};

TEST(ClassifyInbound, EachKnownMessageGetsItsAction) {
    const Case cases[] = {
        {{0xF0, 0x52, 0x00, 0x57, 0x00, 0x08, 0xF7}, Status(8)},
        {{0xF0, 0x52, 0x00, 0x57, 0x01, 0xF7}, Answer(0)},
        {{0xF0, 0x52, 0x00, 0x57, 0x02, 0xF7}, Status(0)},
        {{0xF0, 0x52, 0x00, 0x57, 0x03, 0xF7}, kDrop},
        {{0xF0, 0x52, 0x00, 0x57, 0x04, 0xF7}, Answer(0)},
        {{0xF0, 0x52, 0x00, 0x57, 0x05, 0xF7}, Answer(0)},
        // The device byte and the end byte are never examined.
        {{0xF0, 0x52, 0x7F, 0x57, 0x00, 0x03, 0x00}, Status(3)},
        {{0xF0, 0x7E, 0x10, 0x06, 0x02, 0x00, 0x58, 0x00}, Identity(0x58)},
        // Another model's frames count only once the model byte has become theirs.
        {{0xF0, 0x52, 0x00, 0x58, 0x00, 0x00, 0xF7}, kDrop},
        {{0xF0, 0x52, 0x00, 0x58, 0x07, 0xF7}, kDrop},
        {{0xF0, 0x52, 0x00, 0x58, 0x00, 0x00, 0xF7}, Status(0), 0x58},
        {{0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7}, kAnswerIdentity},
        {{0xF0, 0x7E, 0x00, 0x06, 0x03, 0xF7}, Answer(1)},
        {{0xF0, 0x7E, 0x00, 0x07, 0x01, 0xF7}, kDrop},
        {{0xF0, 0x43, 0x00, 0x57, 0x00, 0x00, 0xF7}, kDrop},
        {{0xF0, 0x7F, 0x00, 0x06, 0x01, 0xF7}, kDrop},
        {{0x90, 0x52, 0x00, 0x57, 0x00, 0x00, 0xF7}, kDrop},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.message));
        EXPECT_EQ(Classify(c.message, c.model), c.action);
    }
    for (int command = 0x06; command <= 0xFF; ++command) {
        EXPECT_EQ(Classify({0xF0, 0x52, 0x00, 0x57, static_cast<std::uint8_t>(command), 0xF7}),
                  Answer(1))
            << "command " << command;
    }
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
