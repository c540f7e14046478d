// The mux between the system's MIDI devices and the layer's in-process ones, called as any
// WinMM client calls it: where each open, close and handle goes, and an input callback that
// gets the handle its program was given. The messages themselves cross it in kt73b-update.exe's
// whole update, run from the unpacked zip (scripts/check-windows-zip). Wine offers no system MIDI
// device here.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>

#include "platform/ui/win32/windows_api.h"
#include "platform/winmm/loopback/loopback_registry.h"
#include "platform/winmm/mmsystem_api.h"
#include "tests/support/wait_until.h"

namespace kt73b::testing {
namespace {

class SilentDevice final : public loopback::LoopbackDevice {
  public:
    void OnHostMessage(const std::uint8_t*, std::size_t) override {}
};

// The handle the input callback got, written on the layer's callback thread.
std::atomic<HMIDIIN> g_calledWith{nullptr};

void CALLBACK RecordInput(HMIDIIN handle, UINT message, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
    if (message == MIM_LONGDATA) {
        g_calledWith = handle;
    }
}

class WinmmMuxTest : public ::testing::Test {
  protected:
    void SetUp() override { id_ = loopback::RegisterDevice("VELK KT Series", &device_); }
    void TearDown() override { loopback::UnregisterDevice(id_); }

    SilentDevice device_;
    int id_ = 0;
};

TEST_F(WinmmMuxTest, Output_IsListedLastItsHandleClosesOnceAndOthersGoToTheSystem) {
    const UINT index = midiOutGetNumDevs() - 1;
    MIDIOUTCAPSA caps{};
    ASSERT_EQ(midiOutGetDevCapsA(index, &caps, sizeof caps), MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.szPname, "VELK KT Series");
    EXPECT_NE(midiOutGetDevCapsA(index + 1, &caps, sizeof caps), MMSYSERR_NOERROR);
    HMIDIOUT out = nullptr;
    ASSERT_EQ(midiOutOpen(&out, index, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutClose(out), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutClose(out), MMSYSERR_INVALHANDLE);  // the layer's, not passed to the system

    // The mapper and handles the layer never gave go to the system, which refuses them here.
    EXPECT_NE(midiOutOpen(&out, MIDI_MAPPER, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    EXPECT_NE(midiOutClose(reinterpret_cast<HMIDIOUT>(std::uintptr_t{1})), MMSYSERR_NOERROR);
    EXPECT_NE(midiInClose(reinterpret_cast<HMIDIIN>(std::uintptr_t{1})), MMSYSERR_NOERROR);
}

TEST_F(WinmmMuxTest, Input_CallbackGetsTheHandleTheProgramWasGiven) {
    const UINT index = midiInGetNumDevs() - 1;
    HMIDIIN in = nullptr;
    ASSERT_EQ(
        midiInOpen(&in, index, reinterpret_cast<DWORD_PTR>(&RecordInput), 0, CALLBACK_FUNCTION),
        MMSYSERR_NOERROR);
    char buffer[256];
    MIDIHDR header{};
    header.lpData = buffer;
    header.dwBufferLength = sizeof buffer;
    ASSERT_EQ(midiInPrepareHeader(in, &header, sizeof header), MMSYSERR_NOERROR);
    ASSERT_EQ(midiInAddBuffer(in, &header, sizeof header), MMSYSERR_NOERROR);
    ASSERT_EQ(midiInStart(in), MMSYSERR_NOERROR);
    const std::uint8_t answer[] = {0xF0, 0x52, 0x00, 0x57, 0x00, 0x00, 0xF7};
    loopback::DeliverToHost(id_, answer, sizeof answer);
    ASSERT_TRUE(WaitUntil([] { return g_calledWith != nullptr; }));
    EXPECT_EQ(g_calledWith, in);
    EXPECT_EQ(midiInReset(in), MMSYSERR_NOERROR);
    EXPECT_EQ(midiInUnprepareHeader(in, &header, sizeof header), MMSYSERR_NOERROR);
    EXPECT_EQ(midiInClose(in), MMSYSERR_NOERROR);
}

}  // namespace
}  // namespace kt73b::testing
