// The device lists over the kernel's sequencer: kt73b-update's, held against what aconnect shows
// of the same sequencer by the naming rule (the client's name; "client:port" where the client
// has several ports of a direction; " (2)" for a second device of a name), and a device that
// appears after the updater started, found by the rescan the dialog does (a fresh list).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <regex>
#include <sstream>

#include "platform/winmm/alsa/alsa_provider.h"
#include "platform/winmm/device_names.h"
#include "platform/winmm/mmsystem_api.h"
#include "tests/alsa/guest_test.h"

namespace kt73b::testing {
namespace {

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
