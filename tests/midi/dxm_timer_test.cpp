// The timer against the recording WinMM: the resolution it raises and ends, the synchronous kill
// that lets Stop promise no tick runs afterwards. Every whole update ticks through it.
#include "midi/dxm_timer.h"

#include <gtest/gtest.h>

#include "tests/midi/recording_winmm.h"

namespace kt73b {
namespace {

using Calls = std::vector<std::string>;

// Periodic, a function to call, and a kill that waits for a running tick.
const std::string kFlags = std::to_string(TIME_PERIODIC | TIME_KILL_SYNCHRONOUS);

// A timer made, started twice (the second start ends the first), stopped and destroyed, as the
// driver's refusals leave it: only a resolution raised is ended, a refused timer at once.
TEST(DxMTimer, Start_EndsOnlyWhatItBeganAndReplacesARunningTimer) {
    const struct {
        const char* refused;
        Calls calls;
    } cases[] = {
        {"",
         {"timeGetDevCaps", "timeBeginPeriod 1", "timeSetEvent 50 1 " + kFlags, "timeKillEvent 7",
          "timeEndPeriod 1", "timeBeginPeriod 1", "timeSetEvent 20 1 " + kFlags, "timeKillEvent 8",
          "timeEndPeriod 1"}},
        {"timeSetEvent",
         {"timeGetDevCaps", "timeBeginPeriod 1", "timeSetEvent 50 1 " + kFlags, "timeEndPeriod 1",
          "timeBeginPeriod 1", "timeSetEvent 20 1 " + kFlags, "timeKillEvent 7",
          "timeEndPeriod 1"}},
        {"timeBeginPeriod",
         {"timeGetDevCaps", "timeBeginPeriod 1", "timeSetEvent 50 1 " + kFlags, "timeKillEvent 7",
          "timeBeginPeriod 1", "timeSetEvent 20 1 " + kFlags, "timeKillEvent 8",
          "timeEndPeriod 1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.refused);
        auto& winmm = testing::RecordingWinmm::Instance();
        winmm.Reset();
        if (*c.refused != '\0') {
            winmm.FailNext(c.refused, TIMERR_NOCANDO);
        }
        {
            CDxMTimer timer;
            timer.Start(50);
            timer.Start(20);
            EXPECT_EQ(timer.Stop(), 1);
        }
        EXPECT_EQ(winmm.Calls(), c.calls);
    }
}

}  // namespace
}  // namespace kt73b
