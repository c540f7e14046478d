// Over the kernel's ALSA sequencer, inside the User-Mode Linux guest (CTest starts the tests
// there), in a scratch current directory, with no JACK server for any program they start.
// AlsaUpdate: whole updates across two processes: kt73b-emulator serves its ALSA port,
// kt73b-update takes it by the dialog's pre-selection.
// AlsaPorts: the device lists, kt73b-update's held against what aconnect shows of the same
// sequencer by the naming rule (the client's name; "client:port" where the client has several
// ports of a direction; " (2)" for a second device of a name), and a device that appears after
// the updater started, found by the rescan the dialog does (a fresh list).
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli/child_process.h"
#include "platform/winmm/alsa/alsa_provider.h"
#include "platform/winmm/device_names.h"
#include "platform/winmm/mmsystem_api.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait_until.h"

namespace kt73b::testing {
namespace {

using namespace std::chrono_literals;

// Bounds for programs that answer at once, and for a whole update (1,902 frames, each answered
// before the next): generous for a guest on a loaded 2-core machine.
constexpr auto kProgramLimit = 30s;
constexpr auto kUpdateLimit = 240s;

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

// The emulator as fast as it goes, so that the time is the sequencer's and the programs'.
const std::vector<std::string> kInstant = {"--command-time=0", "--erase-time=0", "--write-time=0",
                                           "--link-rate=0", "--link-latency=0"};

// Each test creates the log file the updater appends to.
class AlsaUpdate : public GuestTest {
  protected:
    std::unique_ptr<cli::ChildProcess> StartInstantEmulator(std::vector<std::string> args) {
        args.insert(args.begin(), kInstant.begin(), kInstant.end());
        return StartEmulator(args, "emulator.log");
    }
};

TEST_F(AlsaUpdate, ACompleteUpdateLeavesTheImagesInTheEmulatorsFlash) {
    std::ofstream(File("TEST_LOG.txt")).flush();
    const auto emulator = StartInstantEmulator({"--once"});
    ASSERT_TRUE(emulator);
    EXPECT_TRUE(Has(ReadFile(File("emulator.log")), "(no JACK server is running"));

    const auto started = std::chrono::steady_clock::now();
    const ProgramResult update = RunUpdater(UpdateArgs({}), kUpdateLimit);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
    std::printf("kt73b-update over the ALSA sequencer ran for %.1f s\n", took.count());
    EXPECT_EQ(update.status, 0) << update.output << ReadFile(File("emulator.log"));
    EXPECT_TRUE(Has(update.output,
                    "Updating through MIDI OUT \"VELK KT Series\" and MIDI IN \"VELK KT Series\"."))
        << update.output;
    EXPECT_EQ(emulator->WaitForExit(kProgramLimit), 0) << ReadFile(File("emulator.log"));
    EXPECT_TRUE(
        Has(ReadFile(File("emulator.log")), "the update finished and the flash equals the images"))
        << ReadFile(File("emulator.log"));
    EXPECT_EQ(ReadFile(File("TEST_LOG.txt")), "");
}

// One row of the failure table, as over JACK: its box text, its exit status and its one log line.
TEST_F(AlsaUpdate, ADeviceFaultEndsTheUpdateWithItsFailureAndLogLine) {
    std::ofstream(File("TEST_LOG.txt")).flush();
    const auto emulator = StartInstantEmulator({"--fault-script", "not-in-update-mode"});
    ASSERT_TRUE(emulator);
    const ProgramResult update = RunUpdater(UpdateArgs({}), kUpdateLimit);
    EXPECT_EQ(update.status, 8) << update.output << ReadFile(File("emulator.log"));
    EXPECT_TRUE(Has(update.output, "Please use the firmware update mode.")) << update.output;
    const std::string log = ReadFile(File("TEST_LOG.txt"));
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_TRUE(log.ends_with("     Please use the firmware update mode.\r\n")) << log;
}

using Names = std::vector<std::string>;

// What `aconnect -i` (ports one reads from) or `-o` (ports one writes to) prints, named by the
// rule. The system client (0) has a timer and an announce port, no MIDI port.
//   client 14: 'Midi Through' [type=kernel]
//       0 'Midi Through Port-0'
Names AconnectNames(const std::string& option) {
    std::vector<std::pair<std::string, Names>> clients;  // each client's name and port names
    const std::regex client(R"(client (\d+): '(.*)' \[.*)");
    const std::regex port(R"(\s+\d+ '(.*?) *')");
    std::FILE* pipe = popen(("aconnect " + option).c_str(), "r");
    char line[512];
    while (pipe != nullptr && std::fgets(line, sizeof(line), pipe) != nullptr) {
        const std::string text(line, std::strcspn(line, "\n"));
        std::smatch match;
        if (std::regex_match(text, match, client)) {
            clients.push_back({match[1] == "0" ? "" : match[2].str(), {}});
        } else if (std::regex_match(text, match, port) && !clients.empty()) {
            clients.back().second.push_back(match[1]);
        }
    }
    if (pipe != nullptr) {
        pclose(pipe);
    }
    Names base;
    for (const auto& [name, ports] : clients) {
        for (const auto& portName : ports) {
            if (!name.empty()) {
                base.push_back(ports.size() == 1 ? name : name + ":" + portName);
            }
        }
    }
    return winmm::NameDevices(base);
}

// The names under "MIDI IN" or "MIDI OUT" in kt73b-update --list: "  5  VELK KT Series  (default)".
Names Listed(const std::string& output, const std::string& title) {
    const std::regex entry(R"(^  \d+  (.*?)(  \(default\))?$)");
    Names names;
    std::istringstream lines(output);
    bool inside = false;
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        if (!line.starts_with(" ")) {
            inside = line == title;
        } else if (inside && std::regex_match(line, match, entry)) {
            names.push_back(match[1]);
        }
    }
    return names;
}

// Whether one of the layer's lists holds `name`, the list taken afresh as the dialog's rescan
// takes it.
template <typename Caps>
bool InList(const std::string& name, UINT (*count)(), MMRESULT (*get)(UINT_PTR, Caps*, UINT)) {
    for (UINT i = 0, devices = count(); i < devices; ++i) {
        Caps caps{};
        if (get(i, &caps, sizeof(caps)) == MMSYSERR_NOERROR && caps.szPname == name) {
            return true;
        }
    }
    return false;
}

// In how many of the two lists (0 to 2) `name` is.
int ListsWith(const std::string& name) {
    return InList(name, &midiInGetNumDevs, &midiInGetDevCapsA) +
           InList(name, &midiOutGetNumDevs, &midiOutGetDevCapsA);
}

std::string KeyOf(const std::vector<winmm::PortDescriptor>& ports, const std::string& name) {
    const auto it = std::ranges::find(ports, name, &winmm::PortDescriptor::name);
    return it != ports.end() ? it->key : "";
}

struct IgnoringSink final : winmm::InputSink {
    void OnMessage(const std::uint8_t*, std::size_t) override {}
};

using AlsaPorts = GuestTest;

TEST_F(AlsaPorts, TheListNamesEveryPortAconnectShowsByTheNamingRule) {
    const auto first = StartEmulator({}, "first.log");
    const auto second = StartEmulator({}, "second.log");
    IgnoringSink sink;
    winmm::AlsaConfig config;
    config.clientName = "KT Two Ports";
    const auto twoPorts = winmm::AlsaSequencer::Open(config);
    ASSERT_TRUE(twoPorts);
    ASSERT_GE(twoPorts->CreateDevicePort("KT port A", sink), 0);
    ASSERT_GE(twoPorts->CreateDevicePort("KT port B", sink), 0);

    // A host at work on the first device: its ports are no devices for another host.
    winmm::AlsaProvider host;
    std::unique_ptr<winmm::InputConnection> in;
    std::unique_ptr<winmm::OutputConnection> out;
    ASSERT_EQ(host.OpenInput(KeyOf(host.ListInputs(), "VELK KT Series"), sink, &in), 0u);
    ASSERT_EQ(host.OpenOutput(KeyOf(host.ListOutputs(), "VELK KT Series"), &out), 0u);

    const ProgramResult list = RunUpdater({"--list"}, kProgramLimit);
    std::printf("kt73b-update --list in the guest:\n%s", list.output.c_str());
    ASSERT_EQ(list.status, 0) << list.output;
    const Names ins = AconnectNames("-i");
    const Names outs = AconnectNames("-o");
    EXPECT_EQ(Listed(list.output, "MIDI IN"), ins) << list.output;
    EXPECT_EQ(Listed(list.output, "MIDI OUT"), outs) << list.output;
    EXPECT_FALSE(Has(list.output, "KT-73B Updater")) << list.output;
    // Each case of the rule is there to be checked.
    for (const char* name :
         {"Midi Through", "VELK KT Series", "VELK KT Series (2)", "KT Two Ports:KT port B"}) {
        EXPECT_TRUE(std::ranges::count(ins, name) && std::ranges::count(outs, name)) << name << "\n"
                                                                                     << list.output;
    }
}

TEST_F(AlsaPorts, ADeviceThatAppearsAfterTheUpdaterStartedIsFoundByRescanAndGoesWhenItGoes) {
    EXPECT_EQ(ListsWith("VELK KT Series"), 0);
    const auto emulator = StartEmulator({}, "emulator.log");
    ASSERT_TRUE(emulator);
    EXPECT_EQ(ListsWith("VELK KT Series"), 2);
    emulator->Stop();
    EXPECT_EQ(ListsWith("VELK KT Series"), 0);
}

}  // namespace
}  // namespace kt73b::testing
