// The device's own requests during a run get the host's automatic answers; the host identity
// reply carries the model byte only once a device has passed the model check.
#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "emulator/host_message.h"

namespace kt73b::testing {
namespace {

using emu::HostMessageKind;
using emu::RequestKind;

using DeviceRequests = DialogTest;

TEST_F(DeviceRequests, IdentityRequestBeforeTheModelCheckIsAnsweredWithFamilyZero) {
    StartDevice("identity=ignore");
    OpenDialog();
    Execute();
    // The host's ports are open once its Identity Request has reached the device.
    for (auto end = std::chrono::steady_clock::now() + kShortWait;
         RequestCount(RequestKind::kIdentity) == 0 && std::chrono::steady_clock::now() < end;) {
        std::this_thread::sleep_for(1ms);
    }
    device_->WithEmulator([](emu::Emulator& emulator) { emulator.SendIdentityRequest(); });
    const auto answers = WaitForHostAnswers(1);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].kind, HostMessageKind::kHostIdentityReply);
    EXPECT_EQ(answers[0].value, 0x00);
}

TEST_F(DeviceRequests, RequestsDuringTheUpdateGetTheAutomaticAnswers) {
    StartDevice("update-mode=ignore");
    OpenDialog();
    Execute();
    ASSERT_TRUE(WaitForStatus("Erasing Flash memory."));
    device_->WithEmulator([](emu::Emulator& emulator) {
        emulator.SendIdentityRequest();
        for (std::uint8_t command = 0x01; command <= 0x07; ++command) {
            emulator.SendCommand(command);
        }
    });
    // 02 counts as an answer and 03 is dropped: six answers for eight requests.
    const auto answers = WaitForHostAnswers(6);
    ASSERT_EQ(answers.size(), 6u);
    EXPECT_EQ(answers[0].kind, HostMessageKind::kHostIdentityReply);
    EXPECT_EQ(answers[0].value, 0x57);                // the device passed the model check
    const std::uint8_t expected[] = {0, 0, 0, 1, 1};  // commands 01, 04, 05, 06, 07
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(answers[i + 1].kind, HostMessageKind::kHostReply) << i;
        EXPECT_EQ(answers[i + 1].value, expected[i]) << i;
    }
    // Command 02 from the device counts as an answer with status 0: the run goes on to erase.
    bool erased = false;
    for (auto end = std::chrono::steady_clock::now() + kShortWait;
         !erased && std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(1ms)) {
        erased = RequestCount(RequestKind::kErase) >= 1;
    }
    EXPECT_TRUE(erased);
}

}  // namespace
}  // namespace kt73b::testing
