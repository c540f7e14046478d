#include "app/cli/device_discovery.h"

#include "app/instance_numbering.h"
#include "app/port_selection.h"
#include "emulator/loopback/loopback_emulator.h"
#include "midi/midi_in_port.h"
#include "midi/midi_out_port.h"

namespace kt73b::cli {

namespace {

constexpr int kNameBytes = 40;  // as the dialog reads them

std::string LastMatch(const std::vector<std::string>& names, int instance) {
    const auto candidates = CandidatePortNames(instance);
    std::string match;
    for (const std::string& name : names) {
        if (MatchesCandidate(name, candidates)) {
            match = name;
        }
    }
    return match;
}

template <typename Port>
std::vector<std::string> Names(const Port& port) {
    std::vector<std::string> names;
    char name[kNameBytes];
    for (UINT i = 0; i < port.GetNumDevs(); ++i) {
        port.GetDeviceName(i, name);
        names.emplace_back(name);
    }
    return names;
}

}  // namespace

std::vector<FoundDevice> FindDevices(const std::vector<std::string>& ins,
                                     const std::vector<std::string>& outs) {
    std::vector<FoundDevice> found;
    for (int instance = 1; instance <= kMaxInstances; ++instance) {
        FoundDevice device{instance, LastMatch(ins, instance), LastMatch(outs, instance)};
        if (!device.in.empty() || !device.out.empty()) {
            found.push_back(std::move(device));
        }
    }
    return found;
}

std::vector<std::string> MidiInNames() {
    return Names(MidiInPort());
}

std::vector<std::string> MidiOutNames() {
    return Names(MidiOutPort());
}

std::string EmulatedDeviceName(int instance) {
    const std::string base = emu::kLoopbackDeviceName;
    return instance == 1 ? base : base + " (" + std::to_string(instance) + ")";
}

}  // namespace kt73b::cli
