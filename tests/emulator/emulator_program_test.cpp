// kt73b-emulator as a program, refusing to run. Its updates over a real JACK server, jackd and
// PipeWire, are the command line's cross-process tests (tests/cli/cli_program_test.cpp).
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>

#include "app/cli/child_process.h"
#include "tests/support/temp_dir.h"

namespace kt73b::emu {
namespace {

using kt73b::cli::ChildProcess;
using kt73b::testing::ReadFile;

constexpr auto kProgramLimit = std::chrono::seconds(20);

// Refused before anything starts, with exit status 2 and the reason: neither a JACK server nor
// an ALSA sequencer, a bad option.
TEST(EmulatorProgramAlone, WithoutAServerOrWithAWrongOptionItSaysWhyAndFails) {
    kt73b::testing::TempDir dir;
    const std::string output = dir.Path() + "/emulator.log";
    setenv("JACK_DEFAULT_SERVER", ("kt73b-no-such-server-" + std::to_string(getpid())).c_str(), 1);
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{KT73B_EMULATOR_PROGRAM},
         "no JACK server is running (status 0x11), and this machine has no ALSA sequencer"},
        {{KT73B_EMULATOR_PROGRAM, "--fault", "write#0=drop"}, "counted from 1"},
    };
    for (const auto& [args, reason] : cases) {
        SCOPED_TRACE(reason);
        auto emulator = ChildProcess::Start(args, output);
        ASSERT_TRUE(emulator);
        EXPECT_EQ(emulator->WaitForExit(kProgramLimit), 2);
        EXPECT_NE(ReadFile(output).find(reason), std::string::npos) << ReadFile(output);
    }
}

}  // namespace
}  // namespace kt73b::emu
