// The layer's midiIn as WinMM documents it, over an in-process loopback device, and its
// multimedia timer: a thread per timer, kills that wait for a running tick. Its midiOut carries
// every whole update's requests in tests/dialog.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <thread>

#include "platform/winmm/device_catalog.h"
#include "platform/winmm/loopback/loopback_provider.h"
#include "platform/winmm/mmsystem_api.h"

namespace kt73b::winmm {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Event {
    UINT message = 0;
    DWORD_PTR param1 = 0;
    DWORD flags = 0;  // of the header, when the callback saw it
    Bytes recorded;
    std::thread::id thread;
};

// What the callbacks saw, in order; the test waits for a count, bounded.
class CallbackLog {
  public:
    static void CALLBACK Proc(HMIDIIN, UINT message, DWORD_PTR instance, DWORD_PTR param1,
                              DWORD_PTR) {
        reinterpret_cast<CallbackLog*>(instance)->Add(message, param1);
    }

    std::vector<Event> WaitFor(std::size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(5), [&] { return log_.size() >= count; });
        return log_;
    }

  private:
    void Add(UINT message, DWORD_PTR param1) {
        Event event{message, param1, 0, {}, std::this_thread::get_id()};
        if (message == MIM_LONGDATA) {
            const auto* header = reinterpret_cast<const MIDIHDR*>(param1);
            event.flags = header->dwFlags;
            const auto* data = reinterpret_cast<const std::uint8_t*>(header->lpData);
            event.recorded.assign(data, data + header->dwBytesRecorded);
        }
        std::lock_guard lock(mutex_);
        log_.push_back(std::move(event));
        changed_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Event> log_;
};

// The loopback device as the only device of the lists.
class MidiLayerTest : public ::testing::Test, public loopback::LoopbackDevice {
  protected:
    MidiLayerTest() {
        SetProvidersForTesting({&LoopbackProvider::Instance()});
        id_ = loopback::RegisterDevice("Device", this);
    }
    ~MidiLayerTest() override {
        loopback::UnregisterDevice(id_);
        SetProvidersForTesting(DefaultProviders());
    }

    void OnHostMessage(const std::uint8_t*, std::size_t) override {}
    void Deliver(const Bytes& bytes) { loopback::DeliverToHost(id_, bytes.data(), bytes.size()); }

    void OpenInput(CallbackLog* log = nullptr) {
        ASSERT_EQ(midiInGetNumDevs(), 1u);
        ASSERT_EQ(midiInOpen(&in_, 0, reinterpret_cast<DWORD_PTR>(&CallbackLog::Proc),
                             reinterpret_cast<DWORD_PTR>(log != nullptr ? log : &log_),
                             CALLBACK_FUNCTION),
                  MMSYSERR_NOERROR);
    }
    void CloseInput() {
        midiInReset(in_);
        for (auto& header : headers_) {
            midiInUnprepareHeader(in_, &header, sizeof(MIDIHDR));
        }
        EXPECT_EQ(midiInClose(in_), MMSYSERR_NOERROR);
    }
    MIDIHDR* Lend(std::size_t index, DWORD bytes = 64) {
        buffers_[index].assign(bytes, 0);
        headers_[index] = MIDIHDR{};
        headers_[index].lpData = reinterpret_cast<LPSTR>(buffers_[index].data());
        headers_[index].dwBufferLength = bytes;
        EXPECT_EQ(midiInPrepareHeader(in_, &headers_[index], sizeof(MIDIHDR)), MMSYSERR_NOERROR);
        EXPECT_EQ(midiInAddBuffer(in_, &headers_[index], sizeof(MIDIHDR)), MMSYSERR_NOERROR);
        return &headers_[index];
    }

    int id_ = 0;
    CallbackLog log_;
    HMIDIIN in_ = nullptr;
    Bytes buffers_[4];
    MIDIHDR headers_[4]{};
};

// Nothing arrives before the start; a short message comes packed in MIM_DATA; a long one fills
// as many buffers as it needs, done and on the layer's own thread. The layer keeps a delivered
// message's storage for the next one: a short message after a long one has its own bytes alone.
TEST_F(MidiLayerTest, In_MessagesComeBackDoneInTheBuffersWithTheirOwnBytesOnTheLayersThread) {
    OpenInput();
    MIDIHDR* first = Lend(0, 8);
    Lend(1, 8);
    Lend(2, 4096);
    Lend(3, 4096);
    Deliver({0xF0, 0x01, 0xF7});
    ASSERT_EQ(midiInStart(in_), MMSYSERR_NOERROR);
    Deliver({0x90, 0x7F, 0x40});
    const Bytes split{0xF0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0xF7};
    Deliver(split);
    Bytes longMessage(2359, 0x33);
    longMessage.front() = 0xF0;
    longMessage.back() = 0xF7;
    Deliver(longMessage);
    ASSERT_EQ(log_.WaitFor(5).size(), 5u);
    const Bytes shortMessage{0xF0, 0x52, 0x00, 0x57, 0x00, 0x00, 0xF7};
    Deliver(shortMessage);

    const auto log = log_.WaitFor(6);
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[0].message, MIM_OPEN);
    EXPECT_EQ(log[1].message, MIM_DATA);
    EXPECT_EQ(log[1].param1, 0x00407F90u);
    EXPECT_EQ(log[2].message, MIM_LONGDATA);
    EXPECT_EQ(log[2].param1, reinterpret_cast<DWORD_PTR>(first));
    EXPECT_EQ(log[2].recorded, Bytes(split.begin(), split.begin() + 8));
    EXPECT_EQ(log[2].flags & (MHDR_DONE | MHDR_INQUEUE), MHDR_DONE);
    EXPECT_NE(log[2].thread, std::this_thread::get_id());
    EXPECT_EQ(log[3].recorded, Bytes(split.begin() + 8, split.end()));
    EXPECT_EQ(log[4].recorded, longMessage);
    EXPECT_EQ(log[5].recorded, shortMessage);
    CloseInput();
}

// A queued buffer cannot be added twice, unprepared or closed over; the reset hands it back
// empty before it returns. Once closed, the handle is stale, the device free for the next input
// and nothing reaches the old callback.
TEST_F(MidiLayerTest, In_AQueuedBufferIsTheDriversUntilTheResetAndTheCloseFreesTheDevice) {
    OpenInput();
    MIDIHDR* queued = Lend(0);
    ASSERT_EQ(midiInStart(in_), MMSYSERR_NOERROR);
    EXPECT_EQ(midiInAddBuffer(in_, queued, sizeof(MIDIHDR)), MIDIERR_STILLPLAYING);
    EXPECT_EQ(midiInUnprepareHeader(in_, queued, sizeof(MIDIHDR)), MIDIERR_STILLPLAYING);
    EXPECT_EQ(midiInClose(in_), MIDIERR_STILLPLAYING);

    ASSERT_EQ(midiInReset(in_), MMSYSERR_NOERROR);
    const auto log = log_.WaitFor(0);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].message, MIM_LONGDATA);
    EXPECT_EQ(log[1].param1, reinterpret_cast<DWORD_PTR>(queued));
    EXPECT_TRUE(log[1].recorded.empty());
    EXPECT_NE(log[1].flags & MHDR_DONE, 0u);
    const HMIDIIN closed = in_;
    CloseInput();
    EXPECT_EQ(log_.WaitFor(3).at(2).message, MIM_CLOSE);
    EXPECT_EQ(midiInClose(closed), MMSYSERR_INVALHANDLE);

    CallbackLog next;
    OpenInput(&next);
    Lend(0);
    ASSERT_EQ(midiInStart(in_), MMSYSERR_NOERROR);
    Deliver({0xF0, 0x03, 0xF7});
    EXPECT_EQ(next.WaitFor(2).at(1).recorded, (Bytes{0xF0, 0x03, 0xF7}));
    EXPECT_EQ(log_.WaitFor(0).size(), 3u);
    CloseInput();
}

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
