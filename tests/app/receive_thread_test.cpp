#include "app/receive_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace kt73b {
namespace {

using namespace std::chrono_literals;

// A bound for waits on the other thread; never a measure of speed.
constexpr auto kLongEnough = 10s;

// A procedure that counts its runs; each run stays inside until the test releases it.
class Procedure {
  public:
    static void Run(void* self) { static_cast<Procedure*>(self)->OnRun(); }

    void Release() {
        std::lock_guard lock(mutex_);
        held_ = false;
        changed_.notify_all();
    }
    // Until `count` runs have begun and, with `inside`, one is under way; false past the bound.
    bool WaitForRuns(int count, bool inside = false) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kLongEnough,
                                 [&] { return runs_ >= count && (!inside || inside_); });
    }

    // Written by the receive thread under mutex_; atomic so the test may look without it.
    std::atomic<int> runs_{0};
    std::atomic<bool> inside_{false};

  private:
    void OnRun() {
        std::unique_lock lock(mutex_);
        ++runs_;
        inside_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return !held_; });
        inside_ = false;
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    bool held_ = true;
};

// A message queued while the receive side drains must not wait for the next tick, nor be seen
// twice for nothing: the wakes during a run become exactly one more run.
TEST(ReceiveThread, AWakeRunsTheProcedureAndWakesDuringARunFoldIntoOneMoreRun) {
    Procedure procedure;
    ReceiveThread thread;
    ASSERT_TRUE(thread.Start(&Procedure::Run, &procedure));
    EXPECT_TRUE(thread.Running());
    EXPECT_EQ(procedure.runs_.load(), 0);  // nothing runs before the first wake
    thread.OnInboundQueued();
    ASSERT_TRUE(procedure.WaitForRuns(1, true));
    for (int i = 0; i < 5; ++i) {
        thread.Wake();
    }
    procedure.Release();
    ASSERT_TRUE(procedure.WaitForRuns(2));
    thread.Stop();
    EXPECT_EQ(procedure.runs_.load(), 2);
}

TEST(ReceiveThread, StopWaitsForARunUnderWayAndNothingRunsAfterIt) {
    Procedure procedure;
    ReceiveThread thread;
    ASSERT_TRUE(thread.Start(&Procedure::Run, &procedure));
    thread.Wake();
    ASSERT_TRUE(procedure.WaitForRuns(1, true));
    std::atomic<bool> stopped{false};
    std::atomic<bool> insideWhenStopped{true};
    std::thread stopper([&] {
        thread.Stop();
        insideWhenStopped = procedure.inside_.load();
        stopped = true;
    });
    // Stop says the thread is ending before it waits for the run.
    while (thread.Running()) {
        std::this_thread::yield();
    }
    EXPECT_FALSE(stopped.load());
    procedure.Release();
    stopper.join();
    EXPECT_FALSE(insideWhenStopped.load());
    EXPECT_FALSE(thread.Running());
    thread.Wake();
    thread.Stop();  // a second Stop finds nothing to stop
    EXPECT_EQ(procedure.runs_.load(), 1);
}

}  // namespace
}  // namespace kt73b
