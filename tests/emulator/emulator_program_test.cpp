// kt73b-emulator as a program: its options, and the program refusing to run. Its updates over a
// real JACK server, jackd and PipeWire, are the command line's cross-process tests
// (tests/cli/cli_program_test.cpp).
#include "emulator/program/program_options.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "app/cli/child_process.h"
#include "tests/support/temp_dir.h"

namespace kt73b::emu {
namespace {

using kt73b::cli::ChildProcess;
using kt73b::testing::ReadFile;
using std::chrono::milliseconds;

bool Parse(std::vector<const char*> args, ProgramOptions& options, std::string& error) {
    args.insert(args.begin(), "kt73b-emulator");
    return ParseProgramOptions(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(ProgramOptions, EveryValueReachesTheSettings) {
    ProgramOptions options;
    std::string error;
    ASSERT_TRUE(Parse(
        {"--name", "Bench-Unit", "--model=0x58", "--not-in-update-mode", "--command-time=3ms",
         "--erase-time", "1s", "--erase-time-fixed=20ms", "--write-time=500us", "--link-rate=3125",
         "--link-latency=2ms", "--fault", "write#3=status:8", "--fault-script=finish-timeout",
         "--flash-out=/tmp/f.bin", "--once", "--expect=/tmp/images", "--verbose"},
        options, error))
        << error;
    const auto& device = options.settings.device;
    EXPECT_EQ(options.name, "Bench-Unit");
    EXPECT_EQ(device.model, 0x58);
    EXPECT_FALSE(device.updateMode);
    EXPECT_EQ(device.commandTime, milliseconds(3));
    EXPECT_EQ(device.eraseTimePerBlock, milliseconds(1000));
    EXPECT_EQ(device.eraseTimeFixed, milliseconds(20));
    EXPECT_EQ(device.writeTime, Micros(500));
    EXPECT_EQ(options.settings.link.bytesPerSecond, 3125u);
    EXPECT_EQ(options.settings.link.latency, milliseconds(2));
    ASSERT_EQ(options.settings.faults.Rules().size(), 2u);
    EXPECT_EQ(options.settings.faults.PlanFor(RequestKind::kWrite, 3, 3).status, 8);
    EXPECT_TRUE(options.settings.faults.PlanFor(RequestKind::kFinish, 1, 1).ignore);
    EXPECT_EQ(options.flashOut, "/tmp/f.bin");
    EXPECT_TRUE(options.once);
    EXPECT_EQ(options.expectDir, "/tmp/images");
    EXPECT_TRUE(options.verbose);
}

TEST(ProgramOptions, MistakesAreNamed) {
    const std::pair<std::vector<const char*>, std::string> cases[] = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"--model"}, "needs a value"},
        {{"--model", "0x80"}, "0 to 0x7F"},
        {{"--write-time", "fast"}, "no duration"},
        {{"--fault-script", "nope"}, "no fault script is named 'nope'"},
        {{"--once=yes"}, "takes no value"},
        {{"--expect", "/tmp"}, "--expect is used with --once"},
        {{"--name="}, "must not be empty"},
    };
    for (const auto& [args, expected] : cases) {
        SCOPED_TRACE(expected);
        ProgramOptions options;
        std::string error;
        EXPECT_FALSE(Parse(args, options, error));
        EXPECT_NE(error.find(expected), std::string::npos) << error;
    }
}

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
