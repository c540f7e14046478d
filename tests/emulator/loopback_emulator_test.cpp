// The emulator as an in-process device in the WinMM layer's lists. What it answers there is
// checked by the whole updates of tests/dialog and tests/cli, which run against it.
#include "emulator/loopback/loopback_emulator.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/winmm/mmsystem_api.h"
#include "virtual_host.h"

namespace kt73b::emu {
namespace {

// Whether both an input and an output device of this name are listed.
bool Listed(const std::string& name) {
    bool input = false;
    bool output = false;
    for (UINT id = 0, count = midiInGetNumDevs(); id < count; ++id) {
        MIDIINCAPSA caps{};
        input |= midiInGetDevCapsA(id, &caps, sizeof caps) == MMSYSERR_NOERROR &&
                 std::strncmp(caps.szPname, name.c_str(), sizeof caps.szPname) == 0;
    }
    for (UINT id = 0, count = midiOutGetNumDevs(); id < count; ++id) {
        MIDIOUTCAPSA caps{};
        output |= midiOutGetDevCapsA(id, &caps, sizeof caps) == MMSYSERR_NOERROR &&
                  std::strncmp(caps.szPname, name.c_str(), sizeof caps.szPname) == 0;
    }
    return input && output;
}

TEST(LoopbackEmulator, ListedUnderItsNameWhileItLives) {
    {
        LoopbackEmulator device;
        EXPECT_TRUE(Listed("VELK KT Series"));
    }
    EXPECT_FALSE(Listed("VELK KT Series"));
    {
        LoopbackEmulator device(InstantSettings(), "KT Loopback Short-Lived");
        EXPECT_TRUE(Listed("KT Loopback Short-Lived"));
    }
    EXPECT_FALSE(Listed("KT Loopback Short-Lived"));
}

}  // namespace
}  // namespace kt73b::emu
