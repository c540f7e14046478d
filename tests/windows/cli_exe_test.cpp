// kt73b-update.exe under Wine, through the mux of the system's MIDI devices (Wine offers none
// here) and the layer's: no device at all, and with --emulate a whole update at the emulated
// device's own pace, each with its exit status.
#include <gtest/gtest.h>

#include "tests/windows/program_process.h"

namespace kt73b::testing {
namespace {

// A whole update at the emulated device's own pace takes about two minutes under Wine here.
constexpr auto kUpdateBound = 600s;

struct Finished {
    std::optional<DWORD> exitCode;
    std::string output;
};

Finished RunUpdater(const std::string& arguments, std::chrono::milliseconds bound = 60s) {
    ProgramProcess program(KT73B_UPDATE_EXE, arguments);
    const auto exitCode = program.WaitForExit(bound);
    return {exitCode, program.Output()};
}

TEST(CommandLineUpdaterExe, Update_WithoutDevicesEndsWithTheNoPortStatus) {
    const Finished run = RunUpdater("");
    EXPECT_EQ(run.exitCode, 3u);
    EXPECT_NE(run.output.find("no MIDI devices were found"), std::string::npos) << run.output;
}

TEST(CommandLineUpdaterExe, Update_OfTheEmulatedDeviceCompletes) {
    const Finished run = RunUpdater("--emulate", kUpdateBound);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_NE(run.output.find("Version update completed."), std::string::npos) << run.output;
}

}  // namespace
}  // namespace kt73b::testing
