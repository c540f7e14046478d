// How answers reach the waiting update: the input port wakes the receive side as each message
// arrives (the whole update of update_run_test.cpp has no tick), the tick alone still carries them
// when that wake-up is off, and the two never run DispatchInbound at once (the thread sanitizer
// watches the receive side's buffers here). The device's own requests get the host's automatic
// answers.
#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "emulator/host_message.h"
#include "tests/support/wait_until.h"

namespace kt73b::testing {
namespace {

using emu::HostMessageKind;
using emu::RequestKind;

using ReceiveSide = DialogTest;

// The arrangement the wake-up replaces, and the one left when no thread can be had for it.
TEST_F(ReceiveSide, TheTickAloneStillCarriesEveryAnswer) {
    StartDevice();
    UpdateTimings timings = FastTimings();
    timings.dispatchOnArrival = false;
    OpenDialog(1, timings);
    Execute();
    ASSERT_TRUE(WaitForStatus("Version update completed.", kUpdateWait)) << Status();
    EXPECT_TRUE(backend_.MessageBoxes().empty());
    EXPECT_EQ(FlashVersusImages(), "");
}

// Many device requests while a 1 ms tick and the input's wake-ups both drive the receive side:
// each is answered once, in order, with nothing lost between the two. Command 02 from the
// device then counts as the answer to the update-mode request: the run goes on to erase.
TEST_F(ReceiveSide, DeviceRequestsAreAnsweredOnceEachWhileTickAndWakeUpsMeet) {
    constexpr std::size_t kRequests = 400;
    StartDevice("update-mode=ignore");
    UpdateTimings timings = FastTimings();
    timings.tickPeriodMs = 1;  // wake-ups are on by default
    OpenDialog(1, timings);
    Execute();
    ASSERT_TRUE(WaitForStatus("Erasing Flash memory."));
    for (std::size_t sent = 0; sent < kRequests; sent += 4) {
        device_->WithEmulator([](emu::Emulator& emulator) {
            emulator.SendCommand(0x01);
            emulator.SendCommand(0x04);
            emulator.SendCommand(0x07);
            emulator.SendIdentityRequest();
        });
        std::this_thread::yield();
    }
    std::vector<emu::HostAnswer> answers;
    ASSERT_TRUE(WaitUntil([&] {
        device_->WithEmulator([&](emu::Emulator& e) { answers = e.Device().HostAnswers(); });
        return answers.size() >= kRequests;
    }));
    ASSERT_EQ(answers.size(), kRequests);
    const std::pair<HostMessageKind, int> expected[] = {
        {HostMessageKind::kHostReply, 0},
        {HostMessageKind::kHostReply, 0},
        {HostMessageKind::kHostReply, 1},
        {HostMessageKind::kHostIdentityReply, 0x57}};
    for (std::size_t i = 0; i < kRequests; ++i) {
        EXPECT_EQ(answers[i].kind, expected[i % 4].first) << i;
        EXPECT_EQ(answers[i].value, expected[i % 4].second) << i;
    }
    EXPECT_EQ(RequestCount(RequestKind::kErase), 0u);
    device_->WithEmulator([](emu::Emulator& emulator) { emulator.SendCommand(0x02); });
    EXPECT_TRUE(WaitForRequests(RequestKind::kErase, 1));
}

}  // namespace
}  // namespace kt73b::testing
