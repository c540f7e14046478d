#include "midi/midi_in_port.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/midi/live_allocations.h"
#include "tests/midi/recording_winmm.h"

namespace kt73b {
namespace {

using ::testing::ElementsAre;
using testing::LiveNothrowAllocations;
using testing::RecordingWinmm;
using Bytes = std::vector<std::uint8_t>;

class MidiInPortTest : public ::testing::Test {
  protected:
    void SetUp() override { winmm_.Reset(); }

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

    RecordingWinmm& winmm_ = RecordingWinmm::Instance();
    std::unique_ptr<MidiInPort> port_ = std::make_unique<MidiInPort>();
};

TEST_F(MidiInPortTest, Open_OpensResetsPreparesAddsAndStartsInThatOrder) {
    port_->SetDeviceIndex(1);
    EXPECT_EQ(port_->Open(), 1);

    const auto calls = winmm_.Calls();
    EXPECT_THAT(testing::Names(calls),
                ElementsAre("midiInOpen", "midiInReset", "midiInPrepareHeader", "midiInAddBuffer",
                            "midiInStart"));
    EXPECT_EQ(calls[0].args[0], 1u);
    EXPECT_EQ(calls[0].args[2], reinterpret_cast<std::uintptr_t>(port_.get()));
    EXPECT_EQ(calls[0].args[3], CALLBACK_FUNCTION);
    EXPECT_EQ(calls[2].args[2], sizeof(MIDIHDR));
    const auto buffers = winmm_.QueuedInputBuffers();
    ASSERT_EQ(buffers.size(), 1u);
    EXPECT_EQ(buffers[0]->dwBufferLength, kReceiveBufferBytes);
    EXPECT_NE(buffers[0]->lpData, nullptr);
}

TEST_F(MidiInPortTest, Open_OnAnOpenPortReturnsOneAndTouchesNothingEvenForAnotherIndex) {
    OpenPort();
    port_->SetDeviceIndex(0);
    EXPECT_EQ(port_->Open(), 1);
    EXPECT_TRUE(winmm_.Calls().empty());
}

TEST_F(MidiInPortTest, Open_PassesIndexMinusOneThroughAndReportsTheRefusal) {
    winmm_.FailNext("midiInOpen", MMSYSERR_BADDEVICEID);
    port_->SetDeviceIndex(static_cast<UINT>(-1));
    EXPECT_EQ(port_->Open(), 0);
    const auto calls = winmm_.Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].name, "midiInOpen");
    EXPECT_EQ(calls[0].args[0], 0xFFFFFFFFu);
    EXPECT_THAT(testing::Names(calls), ElementsAre("midiInOpen", "midiInGetErrorTextA"));
}

TEST_F(MidiInPortTest, Open_FailingAfterTheDeviceOpenedClosesItAndFreesTheBuffer) {
    const long before = LiveNothrowAllocations();
    winmm_.FailNext("midiInStart", MMSYSERR_ERROR);
    port_->SetDeviceIndex(1);
    EXPECT_EQ(port_->Open(), 0);

    EXPECT_THAT(winmm_.CallNames(),
                ElementsAre("midiInOpen", "midiInReset", "midiInPrepareHeader", "midiInAddBuffer",
                            "midiInStart", "midiInGetErrorTextA", "midiInReset",
                            "midiInUnprepareHeader", "midiInClose"));
    EXPECT_TRUE(winmm_.QueuedInputBuffers().empty());
    EXPECT_EQ(LiveNothrowAllocations(), before);
    EXPECT_EQ(port_->CloseIfOpen(), 0);
}

TEST_F(MidiInPortTest, Open_FailingAtPrepareLeavesNothingOpenAndTheNextOpenStartsAfresh) {
    const long before = LiveNothrowAllocations();
    winmm_.FailNext("midiInPrepareHeader", MMSYSERR_NOMEM);
    port_->SetDeviceIndex(1);
    EXPECT_EQ(port_->Open(), 0);
    EXPECT_EQ(LiveNothrowAllocations(), before);
    const auto names = winmm_.CallNames();
    EXPECT_EQ(names.back(), "midiInClose");

    winmm_.ClearCalls();
    EXPECT_EQ(port_->Open(), 1);
    EXPECT_EQ(winmm_.CallNames().front(), "midiInOpen");
}

TEST_F(MidiInPortTest, Open_RefusedByTheDeviceFreesTheBuffer) {
    const long before = LiveNothrowAllocations();
    winmm_.FailNext("midiInOpen", MMSYSERR_ALLOCATED);
    EXPECT_EQ(port_->Open(), 0);
    EXPECT_EQ(LiveNothrowAllocations(), before);
}

TEST_F(MidiInPortTest, Close_StopsResetsUnpreparesAndClosesWithoutGivingTheBufferBack) {
    OpenPort();
    EXPECT_EQ(port_->Close(), 0);
    EXPECT_THAT(winmm_.CallNames(),
                ElementsAre("midiInStop", "midiInReset", "midiInUnprepareHeader", "midiInClose"));
}

TEST_F(MidiInPortTest, Close_TwiceMakesNoSecondPlatformCallAndKeepsTheQueue) {
    OpenPort();
    ASSERT_TRUE(winmm_.ReturnInputBuffer({0xF0, 0x01, 0xF7}));
    port_->Close();
    winmm_.ClearCalls();
    EXPECT_EQ(port_->Close(), 0);
    EXPECT_TRUE(winmm_.Calls().empty());
    EXPECT_EQ(PopEntry(), (Bytes{0xF0, 0x01, 0xF7}));
}

TEST_F(MidiInPortTest, Close_KeepsABufferTheDriverDidNotGiveBackUntilItDoes) {
    OpenPort();
    const long with_buffer = LiveNothrowAllocations();
    winmm_.FailNext("midiInReset", MMSYSERR_ERROR);
    port_->Close();
    EXPECT_EQ(LiveNothrowAllocations(), with_buffer);

    // The driver still writes into it, then hands it back: only now may it go, unread.
    ASSERT_TRUE(winmm_.ReturnInputBuffer({0xF0, 0x7F, 0xF7}));
    EXPECT_EQ(LiveNothrowAllocations(), with_buffer - 2);
    EXPECT_EQ(port_->Front(), nullptr);
}

TEST_F(MidiInPortTest, Destructor_ClosesAndFreesEveryQueuedEntry) {
    const long before = LiveNothrowAllocations();
    OpenPort();
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(winmm_.ReturnInputBuffer({0xF0, static_cast<std::uint8_t>(i), 0xF7}));
    }
    EXPECT_EQ(LiveNothrowAllocations(), before + 2 + 3);
    winmm_.ClearCalls();
    port_.reset();
    EXPECT_EQ(LiveNothrowAllocations(), before);
    EXPECT_EQ(winmm_.CallNames().back(), "midiInClose");
}

TEST_F(MidiInPortTest, Receive_FifteenRecordedBytesBecomeOneEntryOfExactlyThoseBytes) {
    OpenPort();
    const Bytes message{0xF0, 0x7E, 0x00, 0x06, 0x02, 0x52, 0x57, 0x00,
                        0x00, 0x00, 0x31, 0x30, 0x30, 0x30, 0xF7};
    ASSERT_TRUE(winmm_.ReturnInputBuffer(message));
    std::size_t length = 0;
    const std::uint8_t* front = port_->Front(&length);
    ASSERT_NE(front, nullptr);
    EXPECT_EQ(length, 15u);
    EXPECT_EQ(Bytes(front, front + length), message);
    EXPECT_EQ(port_->PopFront(), 0);
    EXPECT_EQ(port_->Front(), nullptr);
}

TEST_F(MidiInPortTest, Receive_ThreeBuffersLeaveInTheOrderTheyCame) {
    OpenPort();
    ASSERT_TRUE(winmm_.ReturnInputBuffer({0xF0, 0x01, 0xF7}));
    ASSERT_TRUE(winmm_.ReturnInputBuffer({0xF0, 0x02, 0x02, 0xF7}));
    ASSERT_TRUE(winmm_.ReturnInputBuffer({0xF0, 0x03, 0x03, 0x03, 0xF7}));
    EXPECT_EQ(PopEntry(), (Bytes{0xF0, 0x01, 0xF7}));
    EXPECT_EQ(PopEntry(), (Bytes{0xF0, 0x02, 0x02, 0xF7}));
    EXPECT_EQ(PopEntry(), (Bytes{0xF0, 0x03, 0x03, 0x03, 0xF7}));
    EXPECT_EQ(PopEntry(), Bytes{});
}

TEST_F(MidiInPortTest, Receive_EveryBufferGoesBackToTheDriverRightAway) {
    OpenPort();
    ASSERT_TRUE(winmm_.ReturnInputBuffer({0xF0, 0x01, 0xF7}));
    EXPECT_THAT(winmm_.CallNames(), ElementsAre("midiInPrepareHeader", "midiInAddBuffer"));
    EXPECT_EQ(winmm_.QueuedInputBuffers().size(), 1u);
}

TEST_F(MidiInPortTest, Receive_AnEmptyOrUnfinishedOrErroneousBufferStillGoesBack) {
    OpenPort();
    ASSERT_TRUE(winmm_.ReturnInputBuffer({}));
    ASSERT_EQ(winmm_.QueuedInputBuffers().size(), 1u);

    ASSERT_TRUE(winmm_.ReturnInputBufferAs(MIM_LONGERROR, {0xF0, 0x01}, true));
    ASSERT_TRUE(winmm_.ReturnInputBufferAs(MIM_LONGDATA, {0xF0, 0x02, 0xF7}, false));
    EXPECT_TRUE(winmm_.ReturnInputBuffer({0xF0, 0x05, 0xF7}));

    EXPECT_EQ(PopEntry(), (Bytes{0xF0, 0x05, 0xF7}));
    EXPECT_EQ(PopEntry(), Bytes{});
    EXPECT_EQ(winmm_.QueuedInputBuffers().size(), 1u);
}

TEST_F(MidiInPortTest, Receive_ShortMessagesAddNothing) {
    OpenPort();
    winmm_.CallInputCallback(MIM_DATA, 0x00407F90);
    winmm_.CallInputCallback(MIM_OPEN, 0);
    EXPECT_EQ(port_->Front(), nullptr);
    EXPECT_TRUE(winmm_.Calls().empty());
}

// Records what the queue held each time the port said a message had been queued.
class QueueWatcher final : public InboundListener {
  public:
    explicit QueueWatcher(MidiInPort& port) : port_(port) {}
    void OnInboundQueued() override {
        std::size_t length = 0;
        const std::uint8_t* front = port_.Front(&length);
        fronts_.push_back(front == nullptr ? Bytes{} : Bytes(front, front + length));
    }

    std::vector<Bytes> fronts_;

  private:
    MidiInPort& port_;
};

TEST_F(MidiInPortTest, Listener_IsToldOfEachQueuedMessageOnceItIsInTheQueue) {
    QueueWatcher watcher(*port_);
    port_->SetListener(&watcher);
    OpenPort();
    ASSERT_TRUE(winmm_.ReturnInputBuffer({0xF0, 0x01, 0xF7}));
    EXPECT_EQ(watcher.fronts_, std::vector<Bytes>{Bytes({0xF0, 0x01, 0xF7})});
    ASSERT_TRUE(winmm_.ReturnInputBuffer({0xF0, 0x02, 0xF7}));
    // The older message is still queued: the listener sees the head, the new one behind it.
    EXPECT_EQ(watcher.fronts_.size(), 2u);
    EXPECT_EQ(PopEntry(), (Bytes{0xF0, 0x01, 0xF7}));
    EXPECT_EQ(PopEntry(), (Bytes{0xF0, 0x02, 0xF7}));
}

TEST_F(MidiInPortTest, Listener_HearsNothingOfWhatIsNotQueued) {
    QueueWatcher watcher(*port_);
    port_->SetListener(&watcher);
    OpenPort();
    ASSERT_TRUE(winmm_.ReturnInputBuffer({}));
    ASSERT_TRUE(winmm_.ReturnInputBufferAs(MIM_LONGERROR, {0xF0, 0x01}, true));
    ASSERT_TRUE(winmm_.ReturnInputBufferAs(MIM_LONGDATA, {0xF0, 0x02, 0xF7}, false));
    winmm_.CallInputCallback(MIM_DATA, 0x00407F90);
    EXPECT_TRUE(watcher.fronts_.empty());

    port_->SetListener(nullptr);
    ASSERT_TRUE(winmm_.ReturnInputBuffer({0xF0, 0x03, 0xF7}));
    EXPECT_TRUE(watcher.fronts_.empty());
    EXPECT_EQ(PopEntry(), (Bytes{0xF0, 0x03, 0xF7}));
}

TEST_F(MidiInPortTest, EmptyQueue_FrontIsNullAndPopFrontChangesNothing) {
    std::size_t length = 99;
    EXPECT_EQ(port_->Front(&length), nullptr);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(port_->PopFront(), 0);
    EXPECT_EQ(port_->Front(), nullptr);
}

TEST_F(MidiInPortTest, DeviceNames_AreTheDriversNamesAndEmptyWhenItHasNone) {
    char name[kDeviceNameBytes];
    EXPECT_EQ(port_->GetNumDevs(), 2u);
    port_->GetDeviceName(1, name);
    EXPECT_STREQ(name, "VELK KT Series");
    winmm_.SetDeviceNames({std::string(40, 'x')}, {});
    port_->GetDeviceName(0, name);
    EXPECT_EQ(std::string(name), std::string(31, 'x'));
    port_->GetDeviceName(5, name);
    EXPECT_STREQ(name, "");
}

}  // namespace
}  // namespace kt73b
