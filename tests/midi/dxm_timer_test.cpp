#include "midi/dxm_timer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/midi/recording_winmm.h"

namespace kt73b {
namespace {

using ::testing::ElementsAre;
using testing::RecordingWinmm;

void Ignore(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {}

class CountingTimer final : public CDxMTimer {
  public:
    ~CountingTimer() override { Stop(); }
    void OnTick() override { ++ticks_; }
    int ticks_ = 0;
};

class DxMTimerTest : public ::testing::Test {
  protected:
    void SetUp() override { winmm_.Reset(); }

    RecordingWinmm& winmm_ = RecordingWinmm::Instance();
};

// The kill waits for a running tick (TIME_KILL_SYNCHRONOUS), so Stop returns only once no
// procedure runs. A second Start ends the running timer first; a stopped one is not ended again.
TEST_F(DxMTimerTest, Start_RaisesTheResolutionReplacesARunningTimerAndStopEndsItOnce) {
    { CDxMTimer never_started; }
    EXPECT_THAT(winmm_.CallNames(), ElementsAre("timeGetDevCaps"));
    {
        CDxMTimer timer;
        winmm_.ClearCalls();
        EXPECT_EQ(timer.Start(50, &Ignore, 0), 7u);
        EXPECT_EQ(timer.Start(20), 8u);
        EXPECT_EQ(timer.Stop(), 1);
        const auto calls = winmm_.Calls();
        ASSERT_THAT(
            winmm_.CallNames(),
            ElementsAre("timeBeginPeriod", "timeSetEvent", "timeKillEvent", "timeEndPeriod",
                        "timeBeginPeriod", "timeSetEvent", "timeKillEvent", "timeEndPeriod"));
        EXPECT_EQ(calls[0].args[0], 1u);
        EXPECT_EQ(calls[1].args[0], 50u);
        EXPECT_EQ(calls[1].args[1], 1u);
        EXPECT_EQ(calls[1].args[4], TIME_PERIODIC | TIME_KILL_SYNCHRONOUS);
        EXPECT_EQ(calls[2].args[0], 7u);
        EXPECT_EQ(calls[3].args[0], 1u);
        EXPECT_EQ(calls[6].args[0], 8u);
        winmm_.ClearCalls();
    }
    EXPECT_TRUE(winmm_.Calls().empty());
}

// Without a procedure the timer ticks its own OnTick; a procedure and its user value carry every
// update's tick (tests/dialog).
TEST_F(DxMTimerTest, Start_WithoutAProcedureTicksOnTick) {
    CountingTimer counting;
    counting.Start(50);
    winmm_.TimerProcedure()(7, 0, winmm_.TimerUser(), 0, 0);
    EXPECT_EQ(counting.ticks_, 1);
}

// A refused Start releases the resolution at once; without capabilities it asks for the best
// resolution and raises none; a refused raise is never ended.
TEST_F(DxMTimerTest, Start_EndsOnlyAResolutionItRaisedAndARefusedOneAtOnce) {
    {
        CDxMTimer timer;
        winmm_.ClearCalls();
        winmm_.FailNext("timeSetEvent", MMSYSERR_ERROR);
        EXPECT_EQ(timer.Start(50), 0u);
        EXPECT_THAT(winmm_.CallNames(),
                    ElementsAre("timeBeginPeriod", "timeSetEvent", "timeEndPeriod"));
        winmm_.ClearCalls();
    }
    EXPECT_TRUE(winmm_.Calls().empty());

    winmm_.FailNext("timeGetDevCaps", TIMERR_NOCANDO);
    {
        CDxMTimer timer;
        winmm_.ClearCalls();
        EXPECT_NE(timer.Start(50), 0u);
    }
    const auto calls = winmm_.Calls();
    ASSERT_THAT(winmm_.CallNames(), ElementsAre("timeSetEvent", "timeKillEvent"));
    EXPECT_EQ(calls[0].args[1], 0u);

    CDxMTimer timer;
    winmm_.FailNext("timeBeginPeriod", TIMERR_NOCANDO);
    timer.Start(50);
    timer.Stop();
    const auto names = winmm_.CallNames();
    EXPECT_EQ(std::count(names.begin(), names.end(), "timeEndPeriod"), 0);
}

}  // namespace
}  // namespace kt73b
