// The mux between the system's MIDI devices and the layer's in-process ones, called as any
// WinMM client calls it: the lists, where each open and each handle goes, and an input
// callback that gets the handle its program was given. Wine offers no system MIDI device here.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/winmm/loopback/loopback_registry.h"
#include "platform/winmm/mmsystem_api.h"
#include "tests/windows/window_probe.h"

namespace kt73b::testing {
namespace {

class RecordingDevice final : public loopback::LoopbackDevice {
  public:
    void OnHostMessage(const std::uint8_t* bytes, std::size_t length) override {
        std::lock_guard lock(mutex_);
        received_.emplace_back(bytes, bytes + length);
    }
    std::vector<std::vector<std::uint8_t>> Received() {
        std::lock_guard lock(mutex_);
        return received_;
    }

  private:
    std::mutex mutex_;
    std::vector<std::vector<std::uint8_t>> received_;  // under mutex_
};

// What the input callback saw, written on the layer's callback thread: the handle, then the count
// that publishes it.
struct InputRecord {
    std::atomic<HMIDIIN> handle{nullptr};
    std::atomic<int> longData{0};
};

void CALLBACK RecordInput(HMIDIIN handle, UINT message, DWORD_PTR instance, DWORD_PTR, DWORD_PTR) {
    auto* record = reinterpret_cast<InputRecord*>(instance);
    if (message == MIM_LONGDATA) {
        record->handle = handle;
        ++record->longData;
    }
}

class WinmmMuxTest : public ::testing::Test {
  protected:
    void SetUp() override { id_ = loopback::RegisterDevice("VELK KT Series", &device_); }
    void TearDown() override { loopback::UnregisterDevice(id_); }

    RecordingDevice device_;
    int id_ = 0;
};

TEST_F(WinmmMuxTest, Output_IsListedLastReachesTheInProcessDeviceAndClosesOnce) {
    const UINT index = midiOutGetNumDevs() - 1;
    MIDIOUTCAPSA caps{};
    ASSERT_EQ(midiOutGetDevCapsA(index, &caps, sizeof caps), MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.szPname, "VELK KT Series");
    EXPECT_NE(midiOutGetDevCapsA(index + 1, &caps, sizeof caps), MMSYSERR_NOERROR);
    HMIDIOUT out = nullptr;
    ASSERT_EQ(midiOutOpen(&out, index, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    std::uint8_t message[] = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
    MIDIHDR header{};
    header.lpData = reinterpret_cast<LPSTR>(message);
    header.dwBufferLength = sizeof message;
    ASSERT_EQ(midiOutPrepareHeader(out, &header, sizeof header), MMSYSERR_NOERROR);
    ASSERT_EQ(midiOutLongMsg(out, &header, sizeof header), MMSYSERR_NOERROR);
    EXPECT_NE(header.dwFlags & MHDR_DONE, 0u);
    EXPECT_EQ(midiOutUnprepareHeader(out, &header, sizeof header), MMSYSERR_NOERROR);
    EXPECT_EQ(device_.Received(),
              (std::vector<std::vector<std::uint8_t>>{{message, message + sizeof message}}));

    EXPECT_EQ(midiOutClose(out), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutClose(out), MMSYSERR_INVALHANDLE);  // the layer's, not passed to the system
}

TEST_F(WinmmMuxTest, Input_IsListedLastAndItsCallbackGetsTheHandleTheProgramWasGiven) {
    const UINT index = midiInGetNumDevs() - 1;
    MIDIINCAPSA caps{};
    ASSERT_EQ(midiInGetDevCapsA(index, &caps, sizeof caps), MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.szPname, "VELK KT Series");
    InputRecord record;
    HMIDIIN in = nullptr;
    ASSERT_EQ(midiInOpen(&in, index, reinterpret_cast<DWORD_PTR>(&RecordInput),
                         reinterpret_cast<DWORD_PTR>(&record), CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    std::vector<char> buffer(256);
    MIDIHDR header{};
    header.lpData = buffer.data();
    header.dwBufferLength = static_cast<DWORD>(buffer.size());
    ASSERT_EQ(midiInPrepareHeader(in, &header, sizeof header), MMSYSERR_NOERROR);
    ASSERT_EQ(midiInAddBuffer(in, &header, sizeof header), MMSYSERR_NOERROR);
    ASSERT_EQ(midiInStart(in), MMSYSERR_NOERROR);

    const std::uint8_t answer[] = {0xF0, 0x52, 0x00, 0x57, 0x00, 0x00, 0xF7};
    loopback::DeliverToHost(id_, answer, sizeof answer);
    ASSERT_TRUE(WaitUntil([&] { return record.longData > 0; }));
    EXPECT_EQ(record.longData, 1);
    EXPECT_EQ(record.handle, in);
    EXPECT_EQ(header.dwBytesRecorded, sizeof answer);

    EXPECT_EQ(midiInStop(in), MMSYSERR_NOERROR);
    EXPECT_EQ(midiInReset(in), MMSYSERR_NOERROR);
    EXPECT_EQ(midiInUnprepareHeader(in, &header, sizeof header), MMSYSERR_NOERROR);
    EXPECT_EQ(midiInClose(in), MMSYSERR_NOERROR);
}

TEST_F(WinmmMuxTest, SystemSide_TakesTheMapperAndHandlesItDidNotGive) {
    HMIDIOUT out = nullptr;
    EXPECT_NE(midiOutOpen(&out, MIDI_MAPPER, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    EXPECT_EQ(device_.Received().size(), 0u);
    // A handle the layer never gave: the system refuses it, the layer is not asked.
    EXPECT_NE(midiOutClose(reinterpret_cast<HMIDIOUT>(std::uintptr_t{1})), MMSYSERR_NOERROR);
    EXPECT_NE(midiInClose(reinterpret_cast<HMIDIIN>(std::uintptr_t{1})), MMSYSERR_NOERROR);
}

}  // namespace
}  // namespace kt73b::testing
