// A whole update through the dialog, against the emulated device.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/model_byte.h"
#include "dialog_fixture.h"
#include "tests/support/wait_until.h"

namespace kt73b::testing {
namespace {

using emu::RequestKind;

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

}  // namespace
}  // namespace kt73b::testing
