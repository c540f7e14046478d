// The input port against the recording WinMM. A buffer leaked by a failed open, or freed while
// the driver still holds it, is the sanitizer build's to find: this driver writes into every
// buffer it returns.
#include "midi/midi_in_port.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "tests/midi/recording_winmm.h"

namespace kt73b {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Calls = std::vector<std::string>;

// The fixture listens too: it records what the queue held each time the port said a message had
// been queued.
class MidiInPortTest : public ::testing::Test, public InboundListener {
  protected:
    void SetUp() override { winmm_.Reset(); }
    void OnInboundQueued() override {
        std::size_t length = 0;
        const std::uint8_t* front = port_->Front(&length);
        fronts_.push_back(front == nullptr ? Bytes{} : Bytes(front, front + length));
        buffersWithTheDriver_.push_back(winmm_.QueuedInputBuffers());
    }

    // Opens the port on device 1 and forgets the calls that took.
    void OpenPort() {
        port_->SetDeviceIndex(1);
        ASSERT_EQ(port_->Open(), 1);
        winmm_.ClearCalls();
    }

    Bytes PopEntry() {
        std::size_t length = 0;
        const std::uint8_t* bytes = port_->Front(&length);
        if (bytes == nullptr) {
            return {};
        }
        Bytes entry(bytes, bytes + length);
        port_->PopFront();
        return entry;
    }

    testing::RecordingWinmm& winmm_ = testing::RecordingWinmm::Instance();
    std::unique_ptr<MidiInPort> port_ = std::make_unique<MidiInPort>();
    std::vector<Bytes> fronts_;
    std::vector<std::size_t> buffersWithTheDriver_;  // at each of those moments
};

// A half-made open would keep the device busy and the buffer with a driver nobody closes.
TEST_F(MidiInPortTest, Open_FailingAtAnyStepUndoesEverythingAndTheNextOpenStartsAfresh) {
    const Calls steps{"midiInOpen 1", "midiInReset", "midiInPrepareHeader", "midiInAddBuffer",
                      "midiInStart"};
    for (std::size_t failing = 0; failing < steps.size(); ++failing) {
        SCOPED_TRACE(steps[failing]);
        winmm_.Reset();
        winmm_.FailNext(steps[failing].substr(0, steps[failing].find(' ')), MMSYSERR_ERROR);
        port_->SetDeviceIndex(1);
        EXPECT_EQ(port_->Open(), 0);

        Calls expected(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(failing) + 1);
        expected.push_back("midiInGetErrorTextA");
        if (failing != 0) {  // only an opened device is undone
            expected.insert(expected.end(),
                            {"midiInReset", "midiInUnprepareHeader", "midiInClose"});
        }
        EXPECT_EQ(winmm_.Calls(), expected);
        EXPECT_EQ(winmm_.QueuedInputBuffers(), 0u);
        EXPECT_EQ(port_->CloseIfOpen(), 0);

        winmm_.ClearCalls();
        EXPECT_EQ(port_->Open(), 1);
        EXPECT_EQ(winmm_.Calls(), steps);
        EXPECT_EQ(port_->Open(), 1);  // already open: nothing is called
        EXPECT_EQ(winmm_.Calls().size(), steps.size());
        port_->Close();
    }
}

// The queue outlives a close. A buffer the driver did not give back on Close stays until it does,
// and what it then holds arrived after the close: it is not read.
TEST_F(MidiInPortTest, Close_EndsOnceKeepsTheQueueAndABufferTheDriverStillHolds) {
    OpenPort();
    ASSERT_TRUE(winmm_.ReturnInputBuffer({0xF0, 0x01, 0xF7}));
    winmm_.ClearCalls();
    EXPECT_EQ(port_->Close(), 0);
    // The buffer the reset hands back is not lent out again.
    EXPECT_EQ(winmm_.Calls(),
              (Calls{"midiInStop", "midiInReset", "midiInUnprepareHeader", "midiInClose"}));
    EXPECT_EQ(port_->Close(), 0);
    EXPECT_EQ(winmm_.Calls().size(), 4u);
    EXPECT_EQ(PopEntry(), (Bytes{0xF0, 0x01, 0xF7}));

    OpenPort();
    winmm_.FailNext("midiInReset", MMSYSERR_ERROR);
    port_->Close();
    // Only now may it go: freed early, the driver's write below is the sanitizer build's to
    // find; never freed, its leak is.
    ASSERT_TRUE(winmm_.ReturnInputBuffer({0xF0, 0x7F, 0xF7}));
    EXPECT_EQ(port_->Front(), nullptr);
}

// The buffer goes back after every message, queued or not; only whole messages are queued, and
// the listener hears of each once it is in the queue and the buffer is back. The destructor closes.
TEST_F(MidiInPortTest, Receive_EveryBufferGoesBackAndOnlyWholeMessagesAreQueuedAndHeardOf) {
    port_->SetListener(this);
    OpenPort();
    ASSERT_TRUE(winmm_.ReturnInputBuffer({}));
    ASSERT_TRUE(winmm_.ReturnInputBuffer({0xF0, 0x01}, MIM_LONGERROR));
    ASSERT_TRUE(winmm_.ReturnInputBuffer({0xF0, 0x02, 0xF7}, MIM_LONGDATA, false));
    winmm_.CallInputCallback(MIM_DATA, 0x00407F90);
    winmm_.CallInputCallback(MIM_OPEN, 0);
    EXPECT_EQ(port_->Front(), nullptr);
    EXPECT_TRUE(fronts_.empty());

    ASSERT_TRUE(winmm_.ReturnInputBuffer({0xF0, 0x05, 0xF7}));
    ASSERT_TRUE(winmm_.ReturnInputBuffer({0xF0, 0x06, 0xF7}));
    // The older message is still queued: the listener sees the head, the new one behind it.
    EXPECT_EQ(fronts_, std::vector<Bytes>(2, Bytes{0xF0, 0x05, 0xF7}));
    // The buffer was back before each was heard of, ready for the answer to what comes next.
    EXPECT_EQ(buffersWithTheDriver_, std::vector<std::size_t>(2, 1u));
    const auto calls = winmm_.Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "midiInAddBuffer"), 5);
    EXPECT_EQ(winmm_.QueuedInputBuffers(), 1u);

    port_->SetListener(nullptr);
    ASSERT_TRUE(winmm_.ReturnInputBuffer({0xF0, 0x07, 0xF7}));
    EXPECT_EQ(fronts_.size(), 2u);
    EXPECT_EQ(PopEntry(), (Bytes{0xF0, 0x05, 0xF7}));
    EXPECT_EQ(PopEntry(), (Bytes{0xF0, 0x06, 0xF7}));
    port_.reset();
    EXPECT_EQ(winmm_.Calls().back(), "midiInClose");
}

// Lengths vary with n, so a mixed-up entry shows in its length too. Sized first, then written:
// GCC 12 at -O3 reports a false -Warray-bounds when a four-byte vector is grown.
Bytes NumberedMessage(std::uint32_t n) {
    Bytes message(6 + n % 40, 0x55);
    message[0] = 0xF0;
    message[1] = std::uint8_t(n & 0x7F);
    message[2] = std::uint8_t(n >> 7 & 0x7F);
    message[3] = std::uint8_t(n >> 14);
    message.back() = 0xF7;
    return message;
}

// The driver's callback thread appends while the timer's thread drains, as in an update. Meant
// for ThreadSanitizer.
TEST_F(MidiInPortTest, Receive_AHundredThousandMessagesUnderLoadArriveOnceEachAndInOrder) {
    constexpr std::uint32_t kMessages = 100000;
    winmm_.SetRecording(false);
    OpenPort();
    std::atomic<bool> producer_done{false};
    std::thread driver([&] {
        for (std::uint32_t n = 0; n < kMessages; ++n) {
            ASSERT_TRUE(winmm_.ReturnInputBuffer(NumberedMessage(n)));
        }
        producer_done = true;
    });
    std::uint32_t taken = 0;
    std::uint32_t mismatches = 0;
    while (taken < kMessages) {
        // Read before looking, so an empty queue after the producer finished is really empty.
        const bool done = producer_done.load();
        const Bytes entry = PopEntry();
        if (entry.empty() && done) {
            break;
        }
        if (entry.empty()) {
            std::this_thread::yield();
            continue;
        }
        mismatches += entry == NumberedMessage(taken++) ? 0 : 1;
    }
    driver.join();
    EXPECT_EQ(taken, kMessages);
    EXPECT_EQ(mismatches, 0u);
    std::size_t length = 99;
    EXPECT_EQ(port_->Front(&length), nullptr);
    EXPECT_EQ(length, 0u);
}

}  // namespace
}  // namespace kt73b
