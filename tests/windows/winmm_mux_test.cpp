// The mux between the system's MIDI devices and the layer's in-process ones, called as any
// WinMM client calls it: where each open, close and handle goes. The messages themselves cross
// it in kt73b-update.exe's whole update, run from the unpacked zip (scripts/check-windows-zip),
// and the system's devices in the User-Mode Linux guest (wine_midi_guest). Wine offers no system
// MIDI device here.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/ui/win32/windows_api.h"
#include "platform/winmm/loopback/loopback_registry.h"
#include "platform/winmm/mmsystem_api.h"

namespace kt73b::testing {
namespace {

class SilentDevice final : public loopback::LoopbackDevice {
  public:
    void OnHostMessage(const std::uint8_t*, std::size_t) override {}
};

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

}  // namespace
}  // namespace kt73b::testing
