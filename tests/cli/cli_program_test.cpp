// kt73b-update as a program: what it says and exits with for a wrong command line, for output
// nobody reads, and for Ctrl-C; and a whole update across two processes over a JACK server of
// the test's own (jackd, and PipeWire through its libjack), kt73b-emulator on the other side. The
// rest of its behaviour is its session's (update_session_test.cpp).
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app/cli/child_process.h"
#include "tests/support/jack_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait_until.h"

namespace kt73b::cli {
namespace {

using kt73b::testing::Has;
using kt73b::testing::ReadFile;
using namespace std::chrono_literals;
using Command = std::vector<std::string>;

// Bounds for a program that answers at once; generous for a loaded 2-core machine.
constexpr auto kProgramLimit = 30s;
// A whole update is 1,902 write-data frames, each answered before the next goes out; the bound
// leaves room for a loaded machine and for re-sends after lost messages.
constexpr auto kUpdateLimit = 240s;

struct Result {
    std::optional<int> status;
    std::string output;  // standard output and standard error, as they came
};

class CliProgram : public ::testing::Test {
  protected:
    std::unique_ptr<ChildProcess> Start(std::vector<std::string> args) {
        args.insert(args.begin(), KT73B_UPDATE_PROGRAM);
        return ChildProcess::Start(args, OutputFile());
    }

    Result Run(std::vector<std::string> args, std::chrono::seconds limit = kProgramLimit) {
        auto program = Start(std::move(args));
        if (!program) {
            return {std::nullopt, "the program could not be started"};
        }
        const auto status = program->WaitForExit(limit);
        return {status, ReadFile(OutputFile())};
    }

    // Until a program's output file holds `text`, bounded.
    static bool WaitForOutput(const std::string& file, const std::string& text) {
        return kt73b::testing::WaitUntil(
            [&] { return ReadFile(file).find(text) != std::string::npos; }, kProgramLimit);
    }

    std::string OutputFile() const { return dir_.Path() + "/output.txt"; }

    // A whole update between kt73b-emulator and kt73b-update, each started through `wrap`;
    // `emulatorUp` runs once the emulator's client is on the server.
    void ExpectACompleteUpdateAcrossTwoProcesses(const std::function<Command(Command)>& wrap,
                                                 const std::function<void()>& emulatorUp);

    kt73b::testing::ScratchFolder dir_;  // where the program keeps its log and instance locks
};

// What main does with the parsed words: --help and --version end at once, a wrong command line
// with the usage status; none of them starts an update.
TEST_F(CliProgram, HelpAndVersionEndWithZeroAWrongCommandLineWithTheUsageStatus) {
    const struct {
        std::vector<std::string> args;
        int status;
        std::string text;
    } cases[] = {
        {{"--in"}, 2, "Try 'kt73b-update --help'."},
        {{"--help"}, 0, "Exit status:\n"},
        {{"--version"}, 0, "image 137: 2912256 bytes, CRC-32 "},
        {{"--firmware", "/no/such/dir"}, 14, "/no/such/dir/129.bin is missing"},
    };
    for (const auto& c : cases) {
        const Result result = Run(c.args);
        EXPECT_EQ(result.status, c.status) << c.args[0] << "\n" << result.output;
        EXPECT_TRUE(Has(result.output, c.text)) << result.output;
        EXPECT_FALSE(Has(result.output, "Updating through")) << result.output;
    }
}

TEST_F(CliProgram, OutputNobodyReadsDoesNotEndTheProgram) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    close(fds[0]);  // no reader: every write to the pipe raises SIGPIPE
    auto program =
        ChildProcess::Start({KT73B_UPDATE_PROGRAM, "--emulate", "--fault", "not-in-update-mode"},
                            "/proc/self/fd/" + std::to_string(fds[1]));
    close(fds[1]);
    ASSERT_TRUE(program);
    // Not killed (-1): the update's own end and its status.
    EXPECT_EQ(program->WaitForExit(kProgramLimit), 8);
}

TEST_F(CliProgram, CtrlCEndsTheUpdateAtItsWaitWithAStatusOfItsOwn) {
    auto program = Start({"--emulate", "--fault", "update-mode-silent"});
    ASSERT_TRUE(program);
    ASSERT_TRUE(WaitForOutput(OutputFile(), "Erasing Flash memory.")) << ReadFile(OutputFile());
    program->Interrupt();
    EXPECT_EQ(program->WaitForExit(kProgramLimit), 130) << ReadFile(OutputFile());
    EXPECT_TRUE(Has(ReadFile(OutputFile()), "kt73b-update: interrupted.\n"));
}

// The emulator as fast as it goes (no link, command, erase or write time), each program with the
// real JACK provider and kt73b-update with its own timings; `wrap` runs a program on the server's
// libjack.
void CliProgram::ExpectACompleteUpdateAcrossTwoProcesses(
    const std::function<Command(Command)>& wrap, const std::function<void()>& emulatorUp) {
    std::ofstream("TEST_LOG.txt").flush();
    const std::string emulatorLog = dir_.Path() + "/emulator.log";
    const auto emulator =
        ChildProcess::Start(wrap({KT73B_EMULATOR_PROGRAM, "--command-time=0", "--erase-time=0",
                                  "--write-time=0", "--link-rate=0", "--link-latency=0", "--once"}),
                            emulatorLog);
    ASSERT_TRUE(emulator);
    ASSERT_TRUE(WaitForOutput(emulatorLog, " on JACK as ")) << ReadFile(emulatorLog);
    emulatorUp();

    // Placeholders never reach a device of another process, whatever its name.
    const auto refused = ChildProcess::Start(wrap({KT73B_UPDATE_PROGRAM}), OutputFile());
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->WaitForExit(kProgramLimit), 12) << ReadFile(OutputFile());
    EXPECT_TRUE(Has(ReadFile(OutputFile()), "This build carries placeholder firmware"));

    auto program = ChildProcess::Start(wrap({KT73B_UPDATE_PROGRAM, "--firmware", KT73B_IMAGE_DIR}),
                                       OutputFile());
    ASSERT_TRUE(program);
    const auto status = program->WaitForExit(kUpdateLimit);
    const std::string output = ReadFile(OutputFile());
    EXPECT_EQ(status, 0) << output << ReadFile(emulatorLog);
    // --once: 0 only when the flash equals the images.
    EXPECT_EQ(emulator->WaitForExit(kProgramLimit), 0) << ReadFile(emulatorLog);
    // Every message crossed whole and once: the device saw nothing malformed.
    EXPECT_FALSE(Has(ReadFile(emulatorLog), "protocol error")) << ReadFile(emulatorLog);
    // Found by the dialog's pre-selection: the emulator's JACK client has the device's name.
    EXPECT_TRUE(
        Has(output, "Updating through MIDI OUT \"VELK KT Series\" and MIDI IN \"VELK KT Series\"."))
        << output;
    // The bytes written add up, over the three regions' steps, to the three images.
    EXPECT_TRUE(Has(output, "[6/6] Version update completed.  (3804/3804 KiB)")) << output;
    EXPECT_EQ(ReadFile(dir_.Path() + "/TEST_LOG.txt"), "");
}

TEST_F(CliProgram, OverJackACompleteUpdateLeavesTheImagesInTheEmulatorsFlash) {
    std::string error;
    const auto server = kt73b::testing::JackServer::Start(256, &error);  // 5.3 ms at 48 kHz
    ASSERT_TRUE(server) << error;
    ExpectACompleteUpdateAcrossTwoProcesses([](Command argv) { return argv; }, [] {});
}

// Both programs on PipeWire's libjack, as most Linux desktops run them, with nothing set by the
// user: the emulator's node carries the short cycle its client asked for.
TEST_F(CliProgram, OverPipeWireACompleteUpdateLeavesTheImagesInTheEmulatorsFlash) {
    unsetenv("PIPEWIRE_LATENCY");
    std::string error;
    const auto server = kt73b::testing::PipeWireServer::Start(&error);
    if (!server) {
        GTEST_SKIP() << error;
    }
    const std::string graph = dir_.Path() + "/graph.json";
    const auto askedForAShortCycle = [&] {
        EXPECT_TRUE(kt73b::testing::WaitUntil([&] {
            const auto dump = ChildProcess::Start({"pw-dump"}, graph);
            return dump && dump->WaitForExit(kProgramLimit) == 0 &&
                   Has(ReadFile(graph), R"("node.latency": "128/48000")");
        })) << ReadFile(graph);
    };
    const auto onPipeWire = [](Command argv) {
        argv.insert(argv.begin(), "pw-jack");
        return argv;
    };
    ExpectACompleteUpdateAcrossTwoProcesses(onPipeWire, askedForAShortCycle);
}

}  // namespace
}  // namespace kt73b::cli
