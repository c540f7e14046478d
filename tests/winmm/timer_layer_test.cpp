// The layer's multimedia timer: a thread per timer, kills that wait for a running tick.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/winmm/mmsystem_api.h"

namespace kt73b::winmm {
namespace {

struct SlowTick {
    std::atomic<bool> entered{false};
    std::atomic<bool> kill_called{false};
    std::atomic<bool> finished{false};
    std::atomic<int> ticks{0};

    static void CALLBACK Proc(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
        auto* tick = reinterpret_cast<SlowTick*>(user);
        ++tick->ticks;
        if (tick->entered.exchange(true)) {
            return;
        }
        while (!tick->kill_called.load()) {
            std::this_thread::yield();
        }
        // A kill that did not wait would return while this goes on.
        for (int i = 0; i < 20000; ++i) {
            std::this_thread::yield();
        }
        tick->finished = true;
    }
};

TEST(TimerLayer, KillReturnsOnlyOnceTheRunningTickHasFinished) {
    SlowTick tick;
    const UINT id = timeSetEvent(1, 1, &SlowTick::Proc, reinterpret_cast<DWORD_PTR>(&tick),
                                 TIME_PERIODIC | TIME_KILL_SYNCHRONOUS);
    ASSERT_NE(id, 0u);
    while (!tick.entered.load()) {
        std::this_thread::yield();
    }
    tick.kill_called = true;
    ASSERT_EQ(timeKillEvent(id), TIMERR_NOERROR);
    EXPECT_TRUE(tick.finished.load());
    EXPECT_EQ(tick.ticks.load(), 1);
}

}  // namespace
}  // namespace kt73b::winmm
