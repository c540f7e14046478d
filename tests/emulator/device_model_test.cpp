#include "emulator/device_model.h"

#include <gtest/gtest.h>

#include "virtual_host.h"

namespace kt73b::emu {
namespace {

using testing::Answer;
using testing::Bytes;

class DeviceModelTest : public ::testing::Test {
  protected:
    DeviceResult Handle(const Bytes& bytes) { return device_.Handle(ParseHostMessage(bytes)); }
    void EraseAll() { device_.Flash().Erase(0, device_.Flash().Size()); }

    DeviceModel device_;
};

TEST_F(DeviceModelTest, IdentityReplyCarriesTheModelByteAtOffset6) {
    const DeviceResult result = Handle(testing::IdentityRequest());
    EXPECT_EQ(result.answer, (Bytes{0xF0, 0x7E, 0x00, 0x06, 0x02, 0x52, 0x57, 0x00, 0x00, 0x00, '3',
                                    '0', '0', '0', 0xF7}));
    EXPECT_TRUE(result.problem.empty());

    device_.Settings().model = 0x58;
    EXPECT_EQ(Handle(testing::IdentityRequest()).answer.at(6), 0x58);
}

TEST_F(DeviceModelTest, IdentityRequestWithAnyDeviceByteIsAnswered) {
    EXPECT_FALSE(Handle({0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}).answer.empty());
}

TEST_F(DeviceModelTest, UpdateModeRequestInAndOutOfUpdateMode) {
    EXPECT_EQ(Handle(testing::UpdateModeRequest()).answer, Answer(0));
    device_.Settings().updateMode = false;
    EXPECT_EQ(Handle(testing::UpdateModeRequest()).answer, Answer(11));
}

TEST_F(DeviceModelTest, EraseFillsTheRangeAndTakesItsTime) {
    const DeviceResult result = Handle(testing::EraseRequest(0x040000, 0x0B0000));
    EXPECT_EQ(result.answer, Answer(0));
    EXPECT_TRUE(device_.Flash().IsErased(0x040000, 0x0B0000));
    EXPECT_FALSE(device_.Flash().IsErased(0x03F000, 0x1000));
    // 11 blocks of 64 KiB at 150 ms
    EXPECT_EQ(result.busy, std::chrono::milliseconds(1650));
}

TEST_F(DeviceModelTest, EraseOutsideTheFlashIsStatus3AndTouchesNothing) {
    const Bytes before(device_.Flash().Bytes().begin(), device_.Flash().Bytes().end());
    for (const auto& [address, size] : {std::pair<std::uint32_t, std::uint32_t>{0x3B0000, 0x8000},
                                        {0x3B7000, 0x1000},
                                        {0, 0},
                                        {0x7FFFF000, 0x2000}}) {
        const DeviceResult result = Handle(testing::EraseRequest(address, size));
        EXPECT_EQ(result.answer, Answer(3)) << address;
        EXPECT_NE(result.problem.find("outside the flash"), std::string::npos);
    }
    EXPECT_TRUE(std::equal(before.begin(), before.end(), device_.Flash().Bytes().begin()));
}

TEST_F(DeviceModelTest, WriteOverErasedFlashStoresTheChunk) {
    EraseAll();
    const Bytes chunk = testing::Chunk();
    const DeviceResult result = Handle(testing::WriteFrame(0x0F0000, chunk));
    EXPECT_EQ(result.answer, Answer(0));
    EXPECT_EQ(result.busy, std::chrono::milliseconds(4));
    EXPECT_TRUE(std::equal(chunk.begin(), chunk.end(), device_.Flash().Bytes().begin() + 0x0F0000));
}

TEST_F(DeviceModelTest, WriteOverUnerasedFlashIsStatus3) {
    const Bytes before(device_.Flash().Bytes().begin(), device_.Flash().Bytes().end());
    const DeviceResult result = Handle(testing::WriteFrame(0x0F0000, testing::Chunk()));
    EXPECT_EQ(result.answer, Answer(3));
    EXPECT_NE(result.problem.find("not erased"), std::string::npos);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), device_.Flash().Bytes().begin()));
}

TEST_F(DeviceModelTest, WriteSentTwiceIsAcceptedTwice) {
    EraseAll();
    const Bytes frame = testing::WriteFrame(0x1000, testing::Chunk());
    EXPECT_EQ(Handle(frame).answer, Answer(0));
    EXPECT_EQ(Handle(frame).answer, Answer(0));
    EXPECT_EQ(Handle(testing::WriteFrame(0x1000, testing::Chunk(2048, 9))).answer, Answer(3));
}

TEST_F(DeviceModelTest, WriteOutsideTheFlashIsStatus3) {
    EraseAll();
    EXPECT_EQ(Handle(testing::WriteFrame(0x3B6C00, testing::Chunk())).answer, Answer(3));
    EXPECT_EQ(Handle(testing::WriteFrame(0x3B7000, testing::Chunk(1))).answer, Answer(3));
    EXPECT_EQ(Handle(testing::WriteFrame(0x3B6FFF, testing::Chunk(1))).answer, Answer(0));
}

TEST_F(DeviceModelTest, BadCheckValueOrUnreadableFrameIsStatus8) {
    EraseAll();
    Bytes frame = testing::WriteFrame(0x2000, testing::Chunk());
    frame[300] ^= 0x01;
    const DeviceResult crc = Handle(frame);
    EXPECT_EQ(crc.answer, Answer(8));
    EXPECT_FALSE(crc.problem.empty());
    EXPECT_TRUE(device_.Flash().IsErased(0x2000, 2048));

    Bytes cut = testing::WriteFrame(0x2000, testing::Chunk());
    cut.resize(1000);
    cut.back() = 0xF7;
    EXPECT_EQ(Handle(cut).answer, Answer(8));
    EXPECT_TRUE(device_.Flash().IsErased(0x2000, 2048));
}

TEST_F(DeviceModelTest, NotInUpdateModeTheFlashIsNeverTouched) {
    device_.Settings().updateMode = false;
    const Bytes before(device_.Flash().Bytes().begin(), device_.Flash().Bytes().end());
    EXPECT_EQ(Handle(testing::EraseRequest(0, 0x40000)).answer, Answer(11));
    EXPECT_EQ(Handle(testing::WriteFrame(0, testing::Chunk())).answer, Answer(11));
    EXPECT_TRUE(std::equal(before.begin(), before.end(), device_.Flash().Bytes().begin()));
}

TEST_F(DeviceModelTest, FinishIsAnsweredAndCounted) {
    EXPECT_EQ(device_.FinishedCount(), 0);
    EXPECT_EQ(Handle(testing::FinishRequest()).answer, Answer(0));
    EXPECT_EQ(device_.FinishedCount(), 1);
}

TEST_F(DeviceModelTest, FramesForAnotherModelAreIgnored) {
    for (const Bytes& frame : {testing::UpdateModeRequest(0x58), testing::FinishRequest(0x58),
                               testing::EraseRequest(0, 0x40000, 0x58)}) {
        const DeviceResult result = Handle(frame);
        EXPECT_TRUE(result.answer.empty());
        EXPECT_NE(result.problem.find("model"), std::string::npos);
    }
    EXPECT_EQ(device_.FinishedCount(), 0);
    EXPECT_FALSE(device_.Flash().IsErased(0, 0x1000));
}

TEST_F(DeviceModelTest, UnknownCommandIsRefusedWith1) {
    const DeviceResult result = Handle({0xF0, 0x52, 0x00, 0x57, 0x05, 0xF7});
    EXPECT_EQ(result.answer, Answer(1));
    EXPECT_FALSE(result.problem.empty());
}

TEST_F(DeviceModelTest, GarbageIsReportedNotAnswered) {
    for (const Bytes& garbage :
         {Bytes{}, Bytes{0xF7}, Bytes{0x90, 0x3C, 0x40}, Bytes{0xF0, 0x7E, 0x00, 0x06, 0x01}}) {
        const DeviceResult result = Handle(garbage);
        EXPECT_TRUE(result.answer.empty());
        EXPECT_FALSE(result.problem.empty());
    }
}

TEST_F(DeviceModelTest, HostAnswersToTheDevicesRequestsAreRecorded) {
    EXPECT_TRUE(Handle(testing::HostReply(1)).answer.empty());
    const Bytes hostIdentity = {0xF0, 0x7E, 0x00, 0x06, 0x02, 0x52, 0x00, 0x00,
                                0x00, 0x00, 0x31, 0x30, 0x30, 0x30, 0xF7};
    EXPECT_TRUE(Handle(hostIdentity).answer.empty());
    ASSERT_EQ(device_.HostAnswers().size(), 2u);
    EXPECT_EQ(device_.HostAnswers()[0].kind, HostMessageKind::kHostReply);
    EXPECT_EQ(device_.HostAnswers()[0].value, 1);
    EXPECT_EQ(device_.HostAnswers()[1].kind, HostMessageKind::kHostIdentityReply);
}

TEST(EraseDuration, ProratedPerBlockPlusFixedPart) {
    DeviceSettings settings;
    EXPECT_EQ(EraseDuration(settings, kEraseBlockBytes), std::chrono::milliseconds(150));
    EXPECT_EQ(EraseDuration(settings, kEraseBlockBytes / 2), std::chrono::milliseconds(75));
    settings.eraseTimeFixed = std::chrono::milliseconds(20);
    // the whole flash: 59.4 blocks
    EXPECT_EQ(EraseDuration(settings, 0x3B7000), std::chrono::microseconds(20000 + 8915625));
}

}  // namespace
}  // namespace kt73b::emu
