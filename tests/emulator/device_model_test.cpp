// The emulated device's side of the protocol: reading what the host sends, each message's fields
// and every malformed one, and what the device model does with each request.
#include "emulator/device_model.h"

#include <gtest/gtest.h>

#include "emulator/host_message.h"
#include "engine/septets.h"
#include "host_bytes.h"

namespace kt73b::emu {
namespace {

using testing::Answer;
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

class DeviceModelTest : public ::testing::Test {
  protected:
    DeviceResult Handle(const Bytes& bytes) { return device_.Handle(ParseHostMessage(bytes)); }
    void EraseAll() { device_.Flash().Erase(0, device_.Flash().Size()); }
    Bytes FlashBytes() const {
        return {device_.Flash().Bytes().begin(), device_.Flash().Bytes().end()};
    }

    DeviceModel device_;
};

TEST_F(DeviceModelTest, NotInUpdateModeEveryRequestThatChangesTheFlashIsRefusedWith11) {
    EXPECT_EQ(Handle(testing::UpdateModeRequest()).answer, Answer(0));
    device_.Settings().updateMode = false;
    const Bytes before = FlashBytes();
    EXPECT_EQ(Handle(testing::UpdateModeRequest()).answer, Answer(11));
    EXPECT_EQ(Handle(testing::EraseRequest(0, 0x40000)).answer, Answer(11));
    EXPECT_EQ(Handle(testing::WriteFrame(0, testing::Chunk())).answer, Answer(11));
    EXPECT_EQ(FlashBytes(), before);
}

TEST_F(DeviceModelTest, EraseSetsExactlyTheRangeAndTakesItsTime) {
    const Bytes before = FlashBytes();
    const DeviceResult result = Handle(testing::EraseRequest(0x040000, 0x0B0000));
    EXPECT_EQ(result.answer, Answer(0));
    EXPECT_TRUE(device_.Flash().IsErased(0x040000, 0x0B0000));
    EXPECT_EQ(device_.Flash().Bytes()[0x03FFFF], before[0x03FFFF]);
    EXPECT_EQ(device_.Flash().Bytes()[0x0F0000], before[0x0F0000]);
    EXPECT_EQ(result.busy, EraseDuration(device_.Settings(), 0x0B0000));
}

TEST_F(DeviceModelTest, RequestsOutsideTheFlashAreStatus3UpToTheLastByte) {
    const Bytes before = FlashBytes();
    const std::pair<std::uint32_t, std::uint32_t> ranges[] = {
        {0x3B0000, 0x8000}, {0x3B7000, 0x1000}, {0, 0}, {0xFFFFF000u, 0x2000}};  // the last wraps
    for (const auto& [address, size] : ranges) {
        SCOPED_TRACE(address);
        const DeviceResult result = Handle(testing::EraseRequest(address, size));
        EXPECT_EQ(result.answer, Answer(3));
        EXPECT_NE(result.problem.find("outside the flash"), std::string::npos);
    }
    EXPECT_EQ(FlashBytes(), before);
    EraseAll();
    EXPECT_EQ(Handle(testing::WriteFrame(0x3B6C00, testing::Chunk())).answer, Answer(3));
    EXPECT_EQ(Handle(testing::WriteFrame(0x3B7000, testing::Chunk(1))).answer, Answer(3));
    EXPECT_EQ(Handle(testing::WriteFrame(0x3B6FFF, testing::Chunk(1))).answer, Answer(0));
}

// Old firmware is not overwritten; a chunk re-sent after a lost answer must not fail with 3
// forever, other data over it still does.
TEST_F(DeviceModelTest, WritesGoOverErasedFlashOrIdenticalDataOnly) {
    const Bytes before = FlashBytes();
    const DeviceResult refused = Handle(testing::WriteFrame(0x0F0000, testing::Chunk()));
    EXPECT_EQ(refused.answer, Answer(3));
    EXPECT_NE(refused.problem.find("not erased"), std::string::npos);
    EXPECT_EQ(FlashBytes(), before);

    EraseAll();
    const Bytes chunk = testing::Chunk();
    const Bytes frame = testing::WriteFrame(0x0F0000, chunk);
    const DeviceResult result = Handle(frame);
    EXPECT_EQ(result.answer, Answer(0));
    EXPECT_EQ(result.busy, device_.Settings().writeTime);
    EXPECT_TRUE(std::equal(chunk.begin(), chunk.end(), device_.Flash().Bytes().begin() + 0x0F0000));
    EXPECT_EQ(Handle(frame).answer, Answer(0));
    EXPECT_EQ(Handle(testing::WriteFrame(0x0F0000, testing::Chunk(2048, 9))).answer, Answer(3));
}

TEST_F(DeviceModelTest, ADamagedFrameIsStatus8AndWritesNothing) {
    EraseAll();
    Bytes badCrc = testing::WriteFrame(0x2000, testing::Chunk());
    badCrc[300] ^= 0x01;
    Bytes cut = testing::WriteFrame(0x2000, testing::Chunk());
    cut.resize(1000);
    cut.back() = 0xF7;
    for (const Bytes& frame : {badCrc, cut}) {
        const DeviceResult result = Handle(frame);
        EXPECT_EQ(result.answer, Answer(8));
        EXPECT_FALSE(result.problem.empty());
    }
    EXPECT_TRUE(device_.Flash().IsErased(0x2000, 2048));
}

TEST_F(DeviceModelTest, GarbageAndOtherModelsFramesGoUnansweredAnUnknownCommandIsRefused) {
    const DeviceResult unknown = Handle({0xF0, 0x52, 0x00, 0x57, 0x05, 0xF7});
    EXPECT_EQ(unknown.answer, Answer(1));
    EXPECT_FALSE(unknown.problem.empty());
    for (const Bytes& ignored :
         {Bytes{}, Bytes{0xF7}, Bytes{0x90, 0x3C, 0x40}, Bytes{0xF0, 0x7E, 0x00, 0x06, 0x01},
          testing::UpdateModeRequest(0x58), testing::FinishRequest(0x58),
          testing::EraseRequest(0, 0x40000, 0x58)}) {
        const DeviceResult result = Handle(ignored);
        EXPECT_TRUE(result.answer.empty());
        EXPECT_FALSE(result.problem.empty());
    }
    EXPECT_EQ(device_.FinishedCount(), 0);
    EXPECT_FALSE(device_.Flash().IsErased(0, 0x1000));
}

TEST(EraseDuration, ProratedPerBlockPlusFixedPart) {
    DeviceSettings settings;
    settings.eraseTimePerBlock = std::chrono::milliseconds(150);
    EXPECT_EQ(EraseDuration(settings, kEraseBlockBytes / 2), std::chrono::milliseconds(75));
    settings.eraseTimeFixed = std::chrono::milliseconds(20);
    // the whole flash: 59.4 blocks
    EXPECT_EQ(EraseDuration(settings, 0x3B7000), std::chrono::microseconds(20000 + 8915625));
}

}  // namespace
}  // namespace kt73b::emu
