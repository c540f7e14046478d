// The output port against the recording WinMM: its opens, a send's ends (done at once, done
// later, refused, never done), and the lock that keeps sends and closes apart.
#include "midi/midi_out_port.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "midi/midi_in_port.h"
#include "tests/midi/recording_winmm.h"

namespace kt73b {
namespace {

using Calls = std::vector<std::string>;

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
    void SetUp() override {
        winmm_.Reset();
        ASSERT_EQ(port_.Open(3), 1);
        winmm_.ClearCalls();
    }

    int Send() {
        MIDIHDR header{};
        header.lpData = reinterpret_cast<LPSTR>(message_.data());
        header.dwBufferLength = static_cast<DWORD>(message_.size());
        return port_.SendLong(&header);
    }

    testing::RecordingWinmm& winmm_ = testing::RecordingWinmm::Instance();
    FakeClock clock_;
    MidiOutPort port_{clock_};
    std::vector<std::uint8_t> message_ = std::vector<std::uint8_t>(2359, 0x11);
};

// A refused open is the dialog's to report (tests/dialog, ports that do not open).
TEST_F(MidiOutPortTest, Open_TheSameIndexAgainIsFreeAnotherClosesTheOldOne) {
    EXPECT_EQ(port_.Open(3), 1);
    EXPECT_EQ(port_.Open(5), 1);
    EXPECT_EQ(port_.Close(), 1);
    EXPECT_EQ(port_.Close(), 0);
    EXPECT_EQ(winmm_.Calls(), (Calls{"midiOutClose", "midiOutOpen 5", "midiOutClose"}));
}

// A send returns only once the driver is done with the header, or has been made to give it back
// by a reset; the header is unprepared after the driver let go of it, whatever the outcome.
TEST_F(MidiOutPortTest, SendLong_EndsDoneOrFailedWithTheHeaderUnpreparedAfterTheDriverLetGo) {
    const struct {
        const char* what;
        bool atOnce;
        MMRESULT refusal;
        int doneAtWait;  // the wait in which the driver completes; 0: never
        int sent;
        int waits;
        Calls calls;
    } cases[] = {
        {"done within the call", true, MMSYSERR_NOERROR, 0, 1, 0, {}},
        {"done later", false, MMSYSERR_NOERROR, 3, 1, 3, {}},
        {"refused", true, MIDIERR_NOTREADY, 0, 0, 0, {}},
        {"never done", false, MMSYSERR_NOERROR, 0, 0, -1, {"midiOutReset"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        winmm_.ClearCalls();
        clock_.waits_ = 0;
        winmm_.SetOutputCompletesAtOnce(c.atOnce);
        if (c.refusal != MMSYSERR_NOERROR) {
            winmm_.FailNext("midiOutLongMsg", c.refusal);
        }
        MIDIHDR* in_flight = nullptr;
        winmm_.SetLongMsgHook([&](MIDIHDR* header) { in_flight = header; });
        clock_.on_wait_ = [&](int waits) {
            EXPECT_EQ(in_flight->dwFlags & MHDR_DONE, 0u);
            if (waits == c.doneAtWait) {
                winmm_.CompleteOutput();
            }
        };
        const auto start = clock_.now_;
        EXPECT_EQ(Send(), c.sent);
        if (c.waits >= 0) {
            EXPECT_EQ(clock_.waits_, c.waits);
        } else {
            EXPECT_EQ(clock_.now_ - start, kSendDoneTimeout);
        }
        Calls calls{"midiOutPrepareHeader", "midiOutLongMsg"};
        calls.insert(calls.end(), c.calls.begin(), c.calls.end());
        calls.push_back("midiOutUnprepareHeader");
        EXPECT_EQ(winmm_.Calls(), calls);
    }
}

// A driver that completes the send later wakes the waiting sender through MOM_DONE, not the
// periodic look at the flag.
TEST_F(MidiOutPortTest, SendLong_SleepsUntilTheDriversCallbackNotAPollPerMillisecond) {
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
    EXPECT_TRUE(clock_.notified_);
}

// The worker's sends, the timer thread's answers and the close: never two in the driver at once.
TEST_F(MidiOutPortTest, SendLong_FromTwoThreadsNeverOverlapsAndCloseWaitsForASendUnderWay) {
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
    auto send_many = [&] {
        for (int i = 0; i < 2000; ++i) {
            ASSERT_EQ(Send(), 1);
        }
    };
    std::thread worker(send_many);
    std::thread timer(send_many);
    worker.join();
    timer.join();
    EXPECT_EQ(overlaps.load(), 0);

    winmm_.SetRecording(true);
    winmm_.SetOutputCompletesAtOnce(false);
    std::atomic<bool> close_called{false};
    clock_.on_wait_ = [&](int) {
        while (!close_called.load()) {
            std::this_thread::yield();
        }
        // Give a close that does not wait every chance to get in first.
        for (int i = 0; i < 2000; ++i) {
            std::this_thread::yield();
        }
        winmm_.CompleteOutput();
    };
    std::thread sender([&] { EXPECT_EQ(Send(), 1); });
    while (winmm_.Calls().size() < 2) {
        std::this_thread::yield();
    }
    close_called = true;
    EXPECT_EQ(port_.Close(), 1);
    sender.join();
    EXPECT_EQ(winmm_.Calls(), (Calls{"midiOutPrepareHeader", "midiOutLongMsg",
                                     "midiOutUnprepareHeader", "midiOutClose"}));
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
