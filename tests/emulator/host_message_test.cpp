// Reading what the host sends: each message's fields.
#include "emulator/host_message.h"

#include <gtest/gtest.h>

#include "engine/septets.h"
#include "host_bytes.h"

namespace kt73b::emu {
namespace {

using testing::Bytes;

TEST(HostMessage, MalformedMessagesAreReportedWithoutData) {
    const Bytes frame = testing::WriteFrame(0x040000, testing::Chunk());
    std::vector<std::pair<Bytes, HostMessageKind>> cases = {
        {{}, HostMessageKind::kUnknown},
        {{0xF0}, HostMessageKind::kUnknown},
        {{0x90, 0x40, 0x7F}, HostMessageKind::kUnknown},
        {{0xF0, 0x41, 0x00, 0x57, 0x01, 0xF7}, HostMessageKind::kUnknown},
        {{0xF0, 0x7E, 0x00, 0x07, 0x01, 0xF7}, HostMessageKind::kUnknown},
        {{0xF0, 0x7E, 0x00, 0x06, 0x01, 0x00, 0xF7}, HostMessageKind::kIdentityRequest},
    };
    const auto add = [&](Bytes bytes, HostMessageKind kind, auto&& change) {
        change(bytes);
        cases.emplace_back(std::move(bytes), kind);
    };
    add(testing::UpdateModeRequest(), HostMessageKind::kUpdateModeRequest,
        [](Bytes& b) { b.insert(b.end() - 1, 0x00); });
    add(testing::EraseRequest(0, 0x1000), HostMessageKind::kEraseRequest,
        [](Bytes& b) { b.erase(b.begin() + 7); });
    add(testing::EraseRequest(0, 0x1000), HostMessageKind::kEraseRequest,
        [](Bytes& b) { b.back() = 0x00; });                                    // no end
    add(frame, HostMessageKind::kWriteData, [](Bytes& b) { b[100] = 0xF0; });  // status inside
    add(frame, HostMessageKind::kWriteData, [](Bytes& b) { EncodeSeptets(2047, &b[10], 2); });
    add(frame, HostMessageKind::kWriteData, [](Bytes& b) { EncodeSeptets(0, &b[10], 2); });
    // The last group holds 4 data bytes (2048 = 292 * 7 + 4): a leading bit for a fifth is no
    // packing.
    add(frame, HostMessageKind::kWriteData, [](Bytes& b) { b[12 + 292 * 8] = 0x04; });
    // Cuts of a full frame, with and without an F7 put back at the end.
    for (std::size_t length = 6; length < frame.size(); length += 97) {
        const Bytes cut(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(length));
        add(cut, HostMessageKind::kWriteData, [](Bytes&) {});
        add(cut, HostMessageKind::kWriteData, [](Bytes& b) { b.back() = 0xF7; });
    }
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        const HostMessage message = ParseHostMessage(cases[i].first);
        EXPECT_EQ(message.kind, cases[i].second);
        EXPECT_EQ(message.problem, FrameProblem::kMalformed);
        EXPECT_FALSE(message.problemText.empty());
        EXPECT_TRUE(message.data.empty());
    }
}

}  // namespace
}  // namespace kt73b::emu
