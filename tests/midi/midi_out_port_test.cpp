#include "midi/midi_out_port.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

#include "midi/midi_in_port.h"
#include "tests/midi/recording_winmm.h"

namespace kt73b {
namespace {

using ::testing::ElementsAre;
using testing::RecordingWinmm;

// Each wait runs to its deadline at once, unless the test's hook, run in it as the driver's
// thread would, finishes the send; or, when asked, waits for the driver's callback for real.
class FakeClock final : public SendWaitClock {
  public:
    TimePoint Now() override { return now_; }
    void WaitUntil(std::condition_variable& woken, std::unique_lock<std::mutex>& lock,
                   TimePoint deadline) override {
        ++waits_;
        if (waitForCallback_) {
            notified_ =
                woken.wait_for(lock, std::chrono::seconds(10)) == std::cv_status::no_timeout;
            return;
        }
        lock.unlock();
        if (on_wait_) {
            on_wait_(waits_);
        }
        lock.lock();
        now_ = deadline;
    }

    TimePoint now_{};
    std::atomic<int> waits_{0};
    std::function<void(int)> on_wait_;
    bool waitForCallback_ = false;
    bool notified_ = false;  // written under the port's wait lock, read after the send
};

class MidiOutPortTest : public ::testing::Test {
  protected:
    void SetUp() override { winmm_.Reset(); }

    void OpenPort(UINT index = 3) {
        ASSERT_EQ(port_.Open(index), 1);
        winmm_.ClearCalls();
    }

    // Sends the message whole and keeps the header's flags as the send left them. An unprepare
    // after the driver let go of the header (the recorded order) leaves it unprepared.
    int Send() {
        MIDIHDR header{};
        header.lpData = reinterpret_cast<LPSTR>(message_.data());
        header.dwBufferLength = static_cast<DWORD>(message_.size());
        const int sent = port_.SendLong(&header);
        last_flags_ = header.dwFlags;
        return sent;
    }

    RecordingWinmm& winmm_ = RecordingWinmm::Instance();
    FakeClock clock_;
    MidiOutPort port_{clock_};
    std::vector<std::uint8_t> message_ = std::vector<std::uint8_t>(2359, 0x11);
    std::atomic<DWORD> last_flags_{0};
};

TEST_F(MidiOutPortTest,
       Open_TheSameIndexAgainIsFreeAnotherClosesTheOldOneARefusedOneLeavesItClosed) {
    OpenPort(3);
    EXPECT_EQ(port_.Open(3), 1);
    EXPECT_TRUE(winmm_.Calls().empty());
    EXPECT_EQ(port_.Open(5), 1);
    EXPECT_THAT(winmm_.CallNames(), ElementsAre("midiOutClose", "midiOutOpen"));
    EXPECT_EQ(winmm_.Calls()[1].args[0], 5u);
    winmm_.ClearCalls();
    EXPECT_EQ(port_.Close(), 1);
    EXPECT_EQ(port_.Close(), 0);
    EXPECT_THAT(winmm_.CallNames(), ElementsAre("midiOutClose"));

    // Refused, it leaves the port closed, and sends fail without a call.
    winmm_.FailNext("midiOutOpen", MIDIERR_NODEVICE);
    EXPECT_EQ(port_.Open(1), 0);
    winmm_.ClearCalls();
    EXPECT_EQ(Send(), 0);
    EXPECT_EQ(port_.Close(), 0);
    EXPECT_TRUE(winmm_.Calls().empty());
}

TEST_F(MidiOutPortTest, SendLong_ReturnsOnlyOnceTheDriverIsDoneAndLeavesTheHeaderUnprepared) {
    OpenPort();
    EXPECT_EQ(Send(), 1);  // done within the call: no wait
    EXPECT_EQ(clock_.waits_, 0);
    EXPECT_NE(last_flags_ & MHDR_DONE, 0u);

    winmm_.SetOutputCompletesAtOnce(false);
    winmm_.ClearCalls();
    MIDIHDR* in_flight = nullptr;
    winmm_.SetLongMsgHook([&](MIDIHDR* header) { in_flight = header; });
    clock_.on_wait_ = [&](int waits) {
        EXPECT_EQ(in_flight->dwFlags & MHDR_DONE, 0u);
        if (waits == 3) {
            winmm_.CompleteOutput();
        }
    };
    EXPECT_EQ(Send(), 1);
    EXPECT_EQ(clock_.waits_, 3);
    EXPECT_THAT(winmm_.CallNames(),
                ElementsAre("midiOutPrepareHeader", "midiOutLongMsg", "midiOutUnprepareHeader"));
}

TEST_F(MidiOutPortTest, SendLong_FailsUnpreparedWhenRefusedAtOnceOrNotDoneInTime) {
    OpenPort();
    winmm_.FailNext("midiOutLongMsg", MIDIERR_NOTREADY);
    EXPECT_EQ(Send(), 0);
    EXPECT_EQ(clock_.waits_, 0);
    EXPECT_THAT(winmm_.CallNames(),
                ElementsAre("midiOutPrepareHeader", "midiOutLongMsg", "midiOutUnprepareHeader"));

    // Never done: after the time-out the send resets the device, unprepares and fails.
    winmm_.ClearCalls();
    winmm_.SetOutputCompletesAtOnce(false);
    const auto start = clock_.now_;
    EXPECT_EQ(Send(), 0);
    EXPECT_EQ(clock_.now_ - start, kSendDoneTimeout);
    EXPECT_THAT(winmm_.CallNames(), ElementsAre("midiOutPrepareHeader", "midiOutLongMsg",
                                                "midiOutReset", "midiOutUnprepareHeader"));
}

TEST_F(MidiOutPortTest, Close_WaitsForASendUnderWay) {
    OpenPort();
    winmm_.SetOutputCompletesAtOnce(false);
    MIDIHDR* in_flight = nullptr;
    std::atomic<bool> close_called{false};
    winmm_.SetLongMsgHook([&](MIDIHDR* header) { in_flight = header; });
    clock_.on_wait_ = [&](int) {
        while (!close_called.load()) {
            std::this_thread::yield();
        }
        // Give a close that does not wait every chance to get in first.
        for (int i = 0; i < 2000; ++i) {
            std::this_thread::yield();
        }
        std::atomic_ref<DWORD>(in_flight->dwFlags).fetch_or(MHDR_DONE);
        std::atomic_ref<DWORD>(in_flight->dwFlags).fetch_and(~MHDR_INQUEUE);
    };
    std::thread sender([&] { EXPECT_EQ(Send(), 1); });
    while (winmm_.CallNames().size() < 2) {
        std::this_thread::yield();
    }
    close_called = true;
    EXPECT_EQ(port_.Close(), 1);
    sender.join();
    EXPECT_THAT(winmm_.CallNames(), ElementsAre("midiOutPrepareHeader", "midiOutLongMsg",
                                                "midiOutUnprepareHeader", "midiOutClose"));
}

// A driver that completes the send later wakes the waiting sender once, through MOM_DONE.
TEST_F(MidiOutPortTest, SendLong_SleepsUntilTheDriversCallbackNotAPollPerMillisecond) {
    OpenPort();
    winmm_.SetOutputCompletesAtOnce(false);
    clock_.waitForCallback_ = true;
    std::thread driver([&] {
        // The sender holds its wait lock until it waits, so the callback cannot come too early.
        while (clock_.waits_.load() == 0) {
            std::this_thread::yield();
        }
        EXPECT_TRUE(winmm_.CompleteOutput());
    });
    EXPECT_EQ(Send(), 1);
    driver.join();
    // Woken by the driver, not by the periodic look at the flag.
    EXPECT_TRUE(clock_.notified_);
}

TEST_F(MidiOutPortTest, SendLong_FromTwoThreadsNeverOverlaps) {
    OpenPort();
    std::atomic<int> in_flight{0};
    std::atomic<int> overlaps{0};
    winmm_.SetRecording(false);
    winmm_.SetLongMsgHook([&](MIDIHDR*) {
        if (in_flight.fetch_add(1) != 0) {
            overlaps.fetch_add(1);
        }
        std::this_thread::yield();
        in_flight.fetch_sub(1);
    });
    constexpr int kSends = 2000;
    auto send_many = [&] {
        for (int i = 0; i < kSends; ++i) {
            ASSERT_EQ(Send(), 1);
        }
    };
    std::thread worker(send_many);
    std::thread timer(send_many);
    worker.join();
    timer.join();
    EXPECT_EQ(overlaps.load(), 0);
}

// A name the driver cannot give is empty, never what the buffer held before. The names it gives
// are checked in the dialog's port lists over the real layer.
TEST_F(MidiOutPortTest, DeviceNames_OfBothPortsAreEmptyWhenTheDriverHasNone) {
    char name[kDeviceNameBytes] = "stale";
    MidiInPort().GetDeviceName(5, name);
    EXPECT_STREQ(name, "");
    std::strcpy(name, "stale");
    winmm_.FailNext("midiOutGetDevCapsA", MMSYSERR_NODRIVER);
    port_.GetDeviceName(1, name);
    EXPECT_STREQ(name, "");
}

}  // namespace
}  // namespace kt73b
