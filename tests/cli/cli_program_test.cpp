// kt73b-update as a program: what it says and exits with for a wrong command line, for output
// nobody reads, and for Ctrl-C; and a whole update across two processes over a JACK server of
// the test's own (jackd, and PipeWire through its libjack), kt73b-emulator on the other side. The
// rest of its behaviour is its session's (update_session_test.cpp). With --all: several emulated
// devices, each updated by a copy of its own (one failing, one whose instance another program
// holds, the others ended by Ctrl-C), the JSON stream read back; and three kt73b-emulator
// processes over a JACK server of the test's own, updated to the end.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/cli/child_process.h"
#include "app/failure_table.h"
#include "platform/os/instance_lock.h"
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

// The emulator as fast as it goes (no link, command, erase or write time), ending after one
// update with 0 only when its flash equals the images.
Command InstantEmulator(Command more = {}) {
    Command argv = {KT73B_EMULATOR_PROGRAM, "--command-time=0", "--erase-time=0", "--write-time=0",
                    "--link-rate=0",        "--link-latency=0", "--once"};
    argv.insert(argv.end(), more.begin(), more.end());
    return argv;
}

class CliProgram : public ::testing::Test {
  protected:
    std::unique_ptr<ChildProcess> Start(std::vector<std::string> args) {
        args.insert(args.begin(), KT73B_UPDATE_PROGRAM);
        return ChildProcess::Start(args, OutputFile());
    }

    // Until a program's output file holds `text`, bounded.
    static bool WaitForOutput(const std::string& file, const std::string& text) {
        return kt73b::testing::WaitUntil(
            [&] { return ReadFile(file).find(text) != std::string::npos; }, kProgramLimit);
    }

    std::string OutputFile() const { return dir_.Path() + "/output.txt"; }

    // A whole update between kt73b-emulator and kt73b-update, each with the real JACK provider and
    // kt73b-update with its own timings, each started through `wrap` (which runs a program on the
    // server's libjack); `emulatorUp` runs once the emulator's client is on the server.
    void ExpectACompleteUpdateAcrossTwoProcesses(const std::function<Command(Command)>& wrap,
                                                 const std::function<void()>& emulatorUp) {
        std::ofstream("TEST_LOG.txt").flush();
        const std::string emulatorLog = dir_.Path() + "/emulator.log";
        const auto emulator = ChildProcess::Start(wrap(InstantEmulator()), emulatorLog);
        ASSERT_TRUE(emulator);
        ASSERT_TRUE(WaitForOutput(emulatorLog, " on JACK as ")) << ReadFile(emulatorLog);
        emulatorUp();

        // Placeholders never reach a device of another process, whatever its name.
        const auto refused = ChildProcess::Start(wrap({KT73B_UPDATE_PROGRAM}), OutputFile());
        ASSERT_TRUE(refused);
        EXPECT_EQ(refused->WaitForExit(kProgramLimit), 12) << ReadFile(OutputFile());
        EXPECT_TRUE(Has(ReadFile(OutputFile()), "This build carries placeholder firmware"));

        auto program = ChildProcess::Start(
            wrap({KT73B_UPDATE_PROGRAM, "--firmware", KT73B_IMAGE_DIR}), OutputFile());
        ASSERT_TRUE(program);
        const auto status = program->WaitForExit(kUpdateLimit);
        const std::string output = ReadFile(OutputFile());
        EXPECT_EQ(status, 0) << output << ReadFile(emulatorLog);
        // --once: 0 only when the flash equals the images.
        EXPECT_EQ(emulator->WaitForExit(kProgramLimit), 0) << ReadFile(emulatorLog);
        // Every message crossed whole and once: the device saw nothing malformed.
        EXPECT_FALSE(Has(ReadFile(emulatorLog), "protocol error")) << ReadFile(emulatorLog);
        // Found by the dialog's pre-selection: the emulator's JACK client has the device's name.
        EXPECT_TRUE(Has(
            output, "Updating through MIDI OUT \"VELK KT Series\" and MIDI IN \"VELK KT Series\"."))
            << output;
        // The bytes written add up, over the three regions' steps, to the three images.
        EXPECT_TRUE(Has(output, "[6/6] Version update completed.  (3804/3804 KiB)")) << output;
        EXPECT_EQ(ReadFile(dir_.Path() + "/TEST_LOG.txt"), "");
    }

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
        auto program = Start(c.args);
        ASSERT_TRUE(program);
        const auto status = program->WaitForExit(kProgramLimit);
        const std::string output = ReadFile(OutputFile());
        EXPECT_EQ(status, c.status) << c.args[0] << "\n" << output;
        EXPECT_TRUE(Has(output, c.text)) << output;
        EXPECT_FALSE(Has(output, "Updating through")) << output;
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

// Several whole updates side by side on a loaded 2-core machine.
constexpr auto kAllUpdatesLimit = 300s;

class AllDevices : public CliProgram {
  protected:
    // kt73b-update with `args`, standard output to out.txt and standard error to err.txt.
    std::unique_ptr<ChildProcess> Start(const std::string& args) {
        return ChildProcess::Start(
            {"/bin/sh", "-c", "exec '" KT73B_UPDATE_PROGRAM "' " + args + " >out.txt 2>err.txt"},
            dir_.Path() + "/shell.txt");
    }
    std::string Out() const { return ReadFile(dir_.Path() + "/out.txt"); }
    std::string Err() const { return ReadFile(dir_.Path() + "/err.txt"); }
};

// The summary's line for `device`.
std::string SummaryLine(const std::string& summary, int device) {
    std::istringstream lines(summary);
    const std::string start = "     " + std::to_string(device) + "  ";
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with(start)) {
            return line;
        }
    }
    return "";
}

// Each device's JSON objects in the order they came; a line still being written is left out.
std::map<int, std::vector<nlohmann::json>> EventsByDevice(const std::string& out) {
    std::map<int, std::vector<nlohmann::json>> events;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        const auto object = nlohmann::json::parse(line, nullptr, false);
        if (object.is_object()) {
            events[object.at("device").get<int>()].push_back(object);
        }
    }
    return events;
}

bool HasEvent(const std::vector<nlohmann::json>& list, const std::string& event) {
    return std::any_of(list.begin(), list.end(),
                       [&](const auto& e) { return e.at("event") == event; });
}

// Per device: exactly one final object, the last, with the exit status its run ended with;
// steps never go back.
void ExpectOneFinalObjectLast(const std::vector<nlohmann::json>& list, bool completed) {
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list.back().at("event"), "final");
    EXPECT_EQ(std::count_if(list.begin(), list.end(),
                            [](const auto& e) { return e.at("event") == "final"; }),
              1);
    EXPECT_EQ(list.back().at("exit_status").get<int>() == 0, completed);
    int step = 0;
    for (const auto& e : list) {
        if (e.at("event") == "step") {
            EXPECT_GE(e.at("step").get<int>(), step);
            step = e.at("step").get<int>();
        }
    }
}

// The copies' ids, from the process table: any that runs a copy of the program for --all.
std::vector<int> CopiesRunning() {
    std::vector<int> pids;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::string cmdline = ReadFile(entry.path().string() + "/cmdline");
        std::replace(cmdline.begin(), cmdline.end(), '\0', ' ');
        if (cmdline.starts_with(KT73B_UPDATE_PROGRAM " --instance")) {
            pids.push_back(std::stoi(entry.path().filename().string()));
        }
    }
    return pids;
}

// Devices 1 and 4 are interrupted in the middle of their updates at the device's own pace, once
// device 3 has failed; device 2 is never started.
TEST_F(AllDevices, OneFailingOneHeldElsewhereAndCtrlCEndingTheRestEachInTheSummaryAndAsJson) {
    std::ofstream("TEST_LOG.txt").flush();
    os::InstanceLock held;
    ASSERT_TRUE(held.TryClaim("Velk KT-73B System v3.00 (2)"));
    const auto program = Start("--all --emulate 4 --fault 3:not-in-update-mode --json");
    ASSERT_TRUE(program);
    ASSERT_TRUE(kt73b::testing::WaitUntil(
        [&] {
            auto events = EventsByDevice(Out());
            return HasEvent(events[3], "failed") && HasEvent(events[1], "progress") &&
                   HasEvent(events[4], "progress");
        },
        60s))
        << Out();
    EXPECT_EQ(CopiesRunning().size(), 2u);
    program->Interrupt();
    EXPECT_EQ(program->WaitForExit(60s), static_cast<int>(ExitStatus::kInterrupted)) << Err();
    EXPECT_TRUE(CopiesRunning().empty());

    const std::string boxText(FailureText(RowFor(FailureKind::kNotInUpdateMode)));
    EXPECT_TRUE(Has(SummaryLine(Err(), 3), boxText)) << Err();
    EXPECT_TRUE(Has(SummaryLine(Err(), 2), "held by another program")) << Err();
    for (const int device : {1, 4}) {
        EXPECT_TRUE(Has(SummaryLine(Err(), device), "interrupted in step ")) << Err();
    }
    EXPECT_TRUE(Has(ReadFile(dir_.Path() + "/TEST_LOG.txt"), boxText));

    const std::string out = Out();
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_TRUE(nlohmann::json::parse(line, nullptr, false).is_object()) << line;
    }
    auto events = EventsByDevice(out);
    ASSERT_EQ(events.size(), 4u) << out;
    for (auto& [device, list] : events) {
        SCOPED_TRACE(device);
        ExpectOneFinalObjectLast(list, false);
    }
    EXPECT_EQ(events[2].size(), 1u);  // not updated: its final object alone
    ASSERT_GE(events[3].size(), 2u);
    EXPECT_EQ(events[3][events[3].size() - 2].at("kind"), "not-in-update-mode");
    EXPECT_EQ(events[4].back().at("out"), "VELK KT Series (4)");
}

TEST_F(AllDevices, OverJackThreeEmulatorProcessesAreUpdatedAtOnce) {
    std::string error;
    const auto server = kt73b::testing::JackServer::Start(256, &error);
    ASSERT_TRUE(server) << error;
    std::vector<std::unique_ptr<ChildProcess>> emulators;
    for (const std::string name : {"VELK KT Series", "VELK KT Series (2)", "VELK KT Series (3)"}) {
        const std::string log = dir_.Path() + "/" + name + ".log";
        emulators.push_back(ChildProcess::Start(InstantEmulator({"--name", name}), log));
        ASSERT_TRUE(WaitForOutput(log, " on JACK as ")) << ReadFile(log);
    }
    const auto program = Start("--all --json --firmware '" KT73B_IMAGE_DIR "'");
    ASSERT_TRUE(program);
    EXPECT_EQ(program->WaitForExit(kAllUpdatesLimit), 0) << Out() << Err();
    for (auto& emulator : emulators) {
        EXPECT_EQ(emulator->WaitForExit(30s), 0);  // --once: the flash equals the images
    }
    auto events = EventsByDevice(Out());
    ASSERT_EQ(events.size(), 3u) << Out();
    for (auto& [device, list] : events) {
        SCOPED_TRACE(device);
        EXPECT_TRUE(Has(SummaryLine(Err(), device), "completed")) << Err();
        ExpectOneFinalObjectLast(list, true);
        ASSERT_GE(list.size(), 2u);
        EXPECT_EQ(list[list.size() - 2].at("event"), "completed");
    }
    EXPECT_EQ(events[3].back().at("out"), "VELK KT Series (3)");
}

}  // namespace
}  // namespace kt73b::cli
