// How answers reach the waiting update: the input port wakes the receive side as each message
// arrives, the tick alone still carries them when that wake-up is off, and the two never run
// DispatchInbound at once (the thread sanitizer watches the receive side's buffers here).
#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "emulator/host_message.h"

namespace kt73b::testing {
namespace {

using emu::HostMessageKind;
using emu::RequestKind;

// Longer than any test here runs: no tick comes while it waits.
constexpr unsigned kNoTickMs = 600000;

class ReceiveSide : public DialogTest {
  protected:
    static UpdateTimings Timings(unsigned tickPeriodMs, bool dispatchOnArrival) {
        UpdateTimings timings = FastTimings();
        timings.tickPeriodMs = tickPeriodMs;
        timings.dispatchOnArrival = dispatchOnArrival;
        return timings;
    }

    void ExpectCompleteUpdate() {
        ASSERT_TRUE(WaitForStatus("Version update completed.", kUpdateWait)) << Status();
        EXPECT_TRUE(backend_.MessageBoxes().empty());
        EXPECT_EQ(FlashVersusImages(), "");
        // Each answer came within its write's time-out: no chunk went out twice.
        EXPECT_EQ(RequestCount(RequestKind::kWrite), 1902u);
    }
};

// No tick comes during the whole update, so every answer got to the worker by the wake-up.
TEST_F(ReceiveSide, AnUpdateCompletesWithoutATickWhenEachAnswerWakesTheReceiveSide) {
    StartDevice();
    OpenDialog(1, Timings(kNoTickMs, true));
    Execute();
    ExpectCompleteUpdate();
}

// The same tick without the wake-up: the answer to the Identity Request waits in the queue for
// a tick that never comes, so the identity wait times out.
TEST_F(ReceiveSide, WithoutTheWakeUpAnAnswerWaitsForTheTick) {
    CreateLogFile();
    StartDevice();
    OpenDialog(1, Timings(kNoTickMs, false));
    Execute();
    ASSERT_TRUE(WaitForBoxes(1, kUpdateWait));
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Time out error(1)"});
    EXPECT_EQ(RequestCount(RequestKind::kIdentity), 1u);
    EXPECT_EQ(RequestCount(RequestKind::kUpdateMode), 0u);
}

// The arrangement the wake-up replaces, and the one left when no thread can be had for it.
TEST_F(ReceiveSide, TheTickAloneStillCarriesEveryAnswer) {
    StartDevice();
    OpenDialog(1, Timings(FastTimings().tickPeriodMs, false));
    Execute();
    ExpectCompleteUpdate();
}

// Many device requests while a 1 ms tick and the input's wake-ups both drive the receive side:
// each is answered once, in order, with nothing lost between the two.
TEST_F(ReceiveSide, DeviceRequestsAreAnsweredOnceEachWhileTickAndWakeUpsMeet) {
    constexpr std::size_t kRequests = 400;
    StartDevice("update-mode=ignore");
    OpenDialog(1, Timings(1, true));
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
    const auto answers = WaitForHostAnswers(kRequests);
    ASSERT_EQ(answers.size(), kRequests);
    for (std::size_t i = 0; i < kRequests; i += 4) {
        EXPECT_EQ(answers[i].kind, HostMessageKind::kHostReply) << i;
        EXPECT_EQ(answers[i].value, 0) << i;
        EXPECT_EQ(answers[i + 1].kind, HostMessageKind::kHostReply) << i;
        EXPECT_EQ(answers[i + 1].value, 0) << i;
        EXPECT_EQ(answers[i + 2].kind, HostMessageKind::kHostReply) << i;
        EXPECT_EQ(answers[i + 2].value, 1) << i;
        EXPECT_EQ(answers[i + 3].kind, HostMessageKind::kHostIdentityReply) << i;
    }
}

}  // namespace
}  // namespace kt73b::testing
