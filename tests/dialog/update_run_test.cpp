// Whole updates through the dialog, against the emulated device, and how the answers reach the
// waiting run: the input port wakes the receive side as each message arrives (the complete update
// here has no tick), the tick alone still carries them when that wake-up is off, and the two never
// run DispatchInbound at once (the thread sanitizer watches the receive side's buffers here). The
// device's own requests get the host's automatic answers.
#include <algorithm>

#include "app/model_byte.h"
#include "dialog_fixture.h"
#include "emulator/host_message.h"
#include "tests/support/wait_until.h"

namespace kt73b::testing {
namespace {

using emu::HostMessageKind;
using emu::RequestKind;
using ReceiveSide = DialogTest;

// Any answer to the finish request counts, a failing status too. No tick comes during the whole
// update, so every answer reached the run by the input's wake-up of the receive side.
TEST_F(DialogTest, CompleteUpdateWritesTheImagesAndReportsCompletion) {
    StartDevice("finish=status:8");
    CreateLogFile();
    UpdateTimings timings = FastTimings();
    timings.tickPeriodMs = 600000;
    OpenDialog(1, timings);
    Execute();
    ASSERT_TRUE(WaitForStatus("Version update completed.", kUpdateWait)) << Status();
    // The run restores the controls and then disables Execute: wait for both.
    ASSERT_TRUE(WaitUntilRestored());
    ASSERT_TRUE(WaitUntil([this] { return !Control(ui::kIdOk).enabled; }, kShortWait));

    EXPECT_EQ(FlashVersusImages(), "");
    EXPECT_EQ(RequestCount(RequestKind::kIdentity), 1u);
    EXPECT_EQ(RequestCount(RequestKind::kUpdateMode), 1u);
    EXPECT_EQ(RequestCount(RequestKind::kErase), 3u);
    EXPECT_EQ(RequestCount(RequestKind::kWrite), 1902u);
    EXPECT_EQ(RequestCount(RequestKind::kFinish), 1u);
    EXPECT_TRUE(backend_.MessageBoxes().empty());
    EXPECT_TRUE(LogTexts().empty());

    const auto steps = Control(IDC_STEP_COUNTER).textHistory;
    EXPECT_EQ(steps, (std::vector<std::string>{"0/6", "1/6", "2/6", "3/6", "4/6", "5/6", "6/6"}));
    const auto status = Control(IDC_STATUS_LINE).textHistory;
    EXPECT_TRUE(std::ranges::count(status, "Erasing Flash memory."));
    EXPECT_TRUE(std::ranges::count(status, "Data transmit  0 / 262144 "));
    EXPECT_TRUE(std::ranges::count(status, "Data transmit  260096 / 262144 "));
    EXPECT_TRUE(std::ranges::count(status, "Data transmit  2910208 / 2912256 "));
    EXPECT_FALSE(std::ranges::count(status, "Data transmit  262144 / 262144 "));

    // Completed: lists and Rescan enabled, Execute disabled, the bar at the last region's end.
    EXPECT_TRUE(Control(IDC_MIDI_IN_LIST).enabled);
    EXPECT_TRUE(Control(IDC_MIDI_OUT_LIST).enabled);
    EXPECT_FALSE(Control(ui::kIdOk).enabled);
    EXPECT_EQ(Control(IDC_PROGRESS).position, 720896);
    EXPECT_EQ(Control(IDC_PROGRESS).rangeHigh, 720896);
    EXPECT_EQ(HostIdentityFamily(), 0x57);

    backend_.Click(IDD_UPDATER_DIALOG, IDC_RESCAN);
    ASSERT_TRUE(WaitUntil([this] { return Control(ui::kIdOk).enabled; }, kShortWait));
    EXPECT_EQ(Control(IDC_STEP_COUNTER).text, "6/6");  // not reset at the end of a run
}

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
