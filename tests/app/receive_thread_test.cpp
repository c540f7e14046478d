#include "app/receive_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <semaphore>
#include <thread>

namespace kt73b {
namespace {

using namespace std::chrono_literals;

// A bound for waits on the other thread; never a measure of speed.
constexpr auto kLongEnough = 10s;

// A procedure that counts its runs; each run stays inside until the test releases it.
struct Procedure {
    static void Run(void* self) {
        auto* procedure = static_cast<Procedure*>(self);
        ++procedure->runs;
        procedure->inside = true;
        procedure->entered.release();
        procedure->released.acquire();
        procedure->inside = false;
    }

    std::atomic<int> runs{0};
    std::atomic<bool> inside{false};
    std::counting_semaphore<> entered{0};
    std::counting_semaphore<> released{0};
};

TEST(ReceiveThread, StopWaitsForARunUnderWayAndNothingRunsAfterIt) {
    Procedure procedure;
    ReceiveThread thread;
    ASSERT_TRUE(thread.Start(&Procedure::Run, &procedure));
    thread.Wake();
    ASSERT_TRUE(procedure.entered.try_acquire_for(kLongEnough));
    std::atomic<bool> stopped{false};
    std::atomic<bool> insideWhenStopped{true};
    std::thread stopper([&] {
        thread.Stop();
        insideWhenStopped = procedure.inside.load();
        stopped = true;
    });
    // Stop says the thread is ending before it waits for the run.
    while (thread.Running()) {
        std::this_thread::yield();
    }
    EXPECT_FALSE(stopped.load());
    procedure.released.release(1000);  // lets every run from now on through
    stopper.join();
    EXPECT_FALSE(insideWhenStopped.load());
    EXPECT_FALSE(thread.Running());
    thread.Wake();
    thread.Stop();  // a second Stop finds nothing to stop
    EXPECT_EQ(procedure.runs.load(), 1);
}

}  // namespace
}  // namespace kt73b
