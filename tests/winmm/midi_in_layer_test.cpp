// The layer's midiIn as WinMM documents it, over a fake provider.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <thread>

#include "platform/winmm/mmsystem_api.h"
#include "tests/winmm/fake_provider.h"

namespace kt73b::winmm {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Delivery {
    UINT message = 0;
    DWORD_PTR param1 = 0;
    DWORD flags = 0;
    Bytes recorded;
    std::thread::id thread;
};

// What the callback saw, in order; the test waits for a count, bounded.
class CallbackLog {
  public:
    static void CALLBACK Proc(HMIDIIN, UINT message, DWORD_PTR instance, DWORD_PTR param1,
                              DWORD_PTR) {
        reinterpret_cast<CallbackLog*>(instance)->Add(message, param1);
    }

    std::vector<Delivery> WaitFor(std::size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(5), [&] { return log_.size() >= count; });
        return log_;
    }

  private:
    void Add(UINT message, DWORD_PTR param1) {
        Delivery delivery{message, param1, 0, {}, std::this_thread::get_id()};
        if (message == MIM_LONGDATA) {
            const auto* header = reinterpret_cast<const MIDIHDR*>(param1);
            delivery.flags = header->dwFlags;
            const auto* data = reinterpret_cast<const std::uint8_t*>(header->lpData);
            delivery.recorded.assign(data, data + header->dwBytesRecorded);
        }
        std::lock_guard lock(mutex_);
        log_.push_back(std::move(delivery));
        changed_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Delivery> log_;
};

class MidiInLayerTest : public ::testing::Test {
  protected:
    MidiInLayerTest() : scoped_({&provider_}) { provider_.inputs = {{"Device", "d"}}; }

    void SetUp() override {
        ASSERT_EQ(midiInGetNumDevs(), 1u);
        ASSERT_EQ(midiInOpen(&handle_, 0, reinterpret_cast<DWORD_PTR>(&CallbackLog::Proc),
                             reinterpret_cast<DWORD_PTR>(&log_), CALLBACK_FUNCTION),
                  MMSYSERR_NOERROR);
    }

    void TearDown() override {
        if (handle_ == nullptr) {
            return;
        }
        midiInReset(handle_);
        for (auto& header : headers_) {
            midiInUnprepareHeader(handle_, &header, sizeof(MIDIHDR));
        }
        EXPECT_EQ(midiInClose(handle_), MMSYSERR_NOERROR);
    }

    MIDIHDR* Lend(std::size_t index, DWORD bytes = 64) {
        buffers_[index].assign(bytes, 0);
        MIDIHDR& header = headers_[index];
        header = MIDIHDR{};
        header.lpData = reinterpret_cast<LPSTR>(buffers_[index].data());
        header.dwBufferLength = bytes;
        EXPECT_EQ(midiInPrepareHeader(handle_, &header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
        EXPECT_EQ(midiInAddBuffer(handle_, &header, sizeof(MIDIHDR)), MMSYSERR_NOERROR);
        return &header;
    }

    FakeProvider provider_;
    ScopedProviders scoped_;
    CallbackLog log_;
    HMIDIIN handle_ = nullptr;
    Bytes buffers_[2];
    MIDIHDR headers_[2]{};
};

// The layer keeps a delivered message's storage for the next one: a short message after a long
// one must come out with its own bytes alone.
TEST_F(MidiInLayerTest, LongThenShortMessageComeBackDoneWithTheirOwnBytesOnTheLayersThread) {
    MIDIHDR* first = Lend(0, 4096);
    Lend(1, 4096);
    ASSERT_EQ(midiInStart(handle_), MMSYSERR_NOERROR);
    Bytes longMessage(2359, 0x33);
    longMessage.front() = 0xF0;
    longMessage.back() = 0xF7;
    const Bytes shortMessage{0xF0, 0x52, 0x00, 0x57, 0x00, 0x00, 0xF7};
    ASSERT_TRUE(provider_.Feed(longMessage));
    ASSERT_EQ(log_.WaitFor(2).size(), 2u);
    ASSERT_TRUE(provider_.Feed(shortMessage));

    const auto log = log_.WaitFor(3);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].message, MIM_OPEN);
    EXPECT_EQ(log[1].message, MIM_LONGDATA);
    EXPECT_EQ(log[1].param1, reinterpret_cast<DWORD_PTR>(first));
    EXPECT_EQ(log[1].recorded, longMessage);
    EXPECT_NE(log[1].flags & MHDR_DONE, 0u);
    EXPECT_EQ(log[1].flags & MHDR_INQUEUE, 0u);
    EXPECT_NE(log[1].thread, std::this_thread::get_id());
    EXPECT_EQ(log[2].recorded, shortMessage);
}

TEST_F(MidiInLayerTest, ResetReturnsTheQueuedBufferEmptyBeforeItReturns) {
    MIDIHDR* header = Lend(0);
    ASSERT_EQ(midiInStart(handle_), MMSYSERR_NOERROR);
    ASSERT_EQ(midiInReset(handle_), MMSYSERR_NOERROR);
    const auto log = log_.WaitFor(0);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].message, MIM_LONGDATA);
    EXPECT_EQ(log[1].param1, reinterpret_cast<DWORD_PTR>(header));
    EXPECT_TRUE(log[1].recorded.empty());
    EXPECT_NE(log[1].flags & MHDR_DONE, 0u);
}

TEST_F(MidiInLayerTest, AMessageLongerThanABufferFillsTheNextOneToo) {
    Lend(0, 8);
    Lend(1, 8);
    ASSERT_EQ(midiInStart(handle_), MMSYSERR_NOERROR);
    const Bytes message{0xF0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0xF7};
    ASSERT_TRUE(provider_.Feed(message));
    const auto log = log_.WaitFor(3);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[1].recorded, Bytes(message.begin(), message.begin() + 8));
    EXPECT_EQ(log[2].recorded, Bytes(message.begin() + 8, message.end()));
}

TEST_F(MidiInLayerTest, NothingArrivesBeforeStartAShortMessageComesAsMimDataPacked) {
    Lend(0);
    ASSERT_TRUE(provider_.Feed({0xF0, 0x01, 0xF7}));
    ASSERT_EQ(midiInStart(handle_), MMSYSERR_NOERROR);
    ASSERT_TRUE(provider_.Feed({0x90, 0x7F, 0x40}));
    ASSERT_TRUE(provider_.Feed({0xF0, 0x02, 0xF7}));
    const auto log = log_.WaitFor(3);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[1].message, MIM_DATA);
    EXPECT_EQ(log[1].param1, 0x00407F90u);
    EXPECT_EQ(log[2].recorded, (Bytes{0xF0, 0x02, 0xF7}));
}

TEST_F(MidiInLayerTest, BuffersHandlesAndDevicesFollowThePlatformsRules) {
    MIDIHDR loose{};
    Bytes bytes(16);
    loose.lpData = reinterpret_cast<LPSTR>(bytes.data());
    loose.dwBufferLength = 16;
    EXPECT_EQ(midiInAddBuffer(handle_, &loose, sizeof(MIDIHDR)), MIDIERR_UNPREPARED);
    EXPECT_EQ(midiInPrepareHeader(handle_, &loose, sizeof(MIDIHDR) - 1), MMSYSERR_INVALPARAM);

    MIDIHDR* queued = Lend(0);
    EXPECT_EQ(midiInAddBuffer(handle_, queued, sizeof(MIDIHDR)), MIDIERR_STILLPLAYING);
    EXPECT_EQ(midiInUnprepareHeader(handle_, queued, sizeof(MIDIHDR)), MIDIERR_STILLPLAYING);
    EXPECT_EQ(midiInClose(handle_), MIDIERR_STILLPLAYING);

    HMIDIIN other = nullptr;
    EXPECT_EQ(midiInOpen(&other, 1, 0, 0, CALLBACK_NULL), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(midiInStart(reinterpret_cast<HMIDIIN>(0x5EED)), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(midiInClose(nullptr), MMSYSERR_INVALHANDLE);
}

TEST_F(MidiInLayerTest, CloseSendsMimCloseAndTheHandleIsThenStale) {
    ASSERT_EQ(midiInClose(handle_), MMSYSERR_NOERROR);
    const auto deliveries = log_.WaitFor(2);
    ASSERT_EQ(deliveries.size(), 2u);
    EXPECT_EQ(deliveries[1].message, MIM_CLOSE);
    EXPECT_EQ(midiInClose(handle_), MMSYSERR_INVALHANDLE);
    EXPECT_FALSE(provider_.Feed({0xF0, 0xF7}));
    handle_ = nullptr;
}

}  // namespace
}  // namespace kt73b::winmm
