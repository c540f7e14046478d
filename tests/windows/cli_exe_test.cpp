// kt73b-update.exe under Wine, through the mux of the system's MIDI devices (Wine offers none
// here) and the layer's: with --emulate a whole update at the emulated device's own pace, and its
// exit status. The system's WinMM without any device is met in updater_exe_test.cpp.
#include <gtest/gtest.h>

#include "tests/windows/program_process.h"

namespace kt73b::testing {
namespace {

TEST(CommandLineUpdaterExe, Update_OfTheEmulatedDeviceCompletes) {
    ProgramProcess program(KT73B_UPDATE_EXE, "--emulate");
    // A whole update at the emulated device's own pace takes about two minutes under Wine here.
    EXPECT_EQ(program.WaitForExit(600s), 0u) << program.Output();
    EXPECT_NE(program.Output().find("Version update completed."), std::string::npos)
        << program.Output();
}

}  // namespace
}  // namespace kt73b::testing
