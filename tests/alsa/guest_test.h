// What the tests over the kernel's ALSA sequencer share: they run inside the User-Mode Linux
// guest (CTest starts them there), in a scratch current directory, with no JACK server for any
// program they start, and they start kt73b-emulator and kt73b-update.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/cli/child_process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait_until.h"

namespace kt73b::testing {

using namespace std::chrono_literals;

// Bounds for programs that answer at once, and for a whole update (1,902 frames, each answered
// before the next): generous for a guest on a loaded 2-core machine.
inline constexpr auto kProgramLimit = 30s;
inline constexpr auto kUpdateLimit = 240s;

struct ProgramResult {
    std::optional<int> status;
    std::string output;  // standard output and standard error, as they came
};

class GuestTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (access("/dev/snd/seq", F_OK) != 0) {
            GTEST_SKIP() << "no ALSA sequencer here; CTest runs these in the User-Mode Linux guest";
        }
        setenv("JACK_DEFAULT_SERVER", ("kt73b-absent-" + std::to_string(getpid())).c_str(), 1);
    }

    // kt73b-emulator with `args`, once it serves its ALSA port; its output goes to `log`.
    std::unique_ptr<cli::ChildProcess> StartEmulator(std::vector<std::string> args,
                                                     const std::string& log) {
        args.insert(args.begin(), KT73B_EMULATOR_PROGRAM);
        auto emulator = cli::ChildProcess::Start(args, File(log));
        const bool serving =
            emulator && WaitUntil(
                            [&] {
                                return Has(ReadFile(File(log)), " on the ALSA sequencer as ") ||
                                       !emulator->Running();
                            },
                            kProgramLimit);
        EXPECT_TRUE(serving && emulator->Running()) << ReadFile(File(log));
        return emulator;
    }

    ProgramResult RunUpdater(std::vector<std::string> args, std::chrono::seconds limit) {
        args.insert(args.begin(), KT73B_UPDATE_PROGRAM);
        const std::string output = File("update-" + std::to_string(++runs_) + ".txt");
        auto program = cli::ChildProcess::Start(args, output);
        if (!program) {
            return {std::nullopt, "kt73b-update could not be started"};
        }
        const auto status = program->WaitForExit(limit);
        return {status, ReadFile(output)};
    }

    // An update's command line: the build's image folder where kt73b-update asks for one (a
    // build with placeholder images updates a device only with --firmware).
    std::vector<std::string> UpdateArgs(std::vector<std::string> args) {
        if (Has(RunUpdater({"--help"}, kProgramLimit).output, "--firmware")) {
            args.insert(args.end(), {"--firmware", KT73B_IMAGE_DIR});
        }
        return args;
    }

    std::string File(const std::string& name) const { return dir_.Path() + "/" + name; }

  private:
    const ScratchFolder dir_;  // where kt73b-update keeps its log
    int runs_ = 0;
};

}  // namespace kt73b::testing
