// Which devices --all updates: for each instance number, the MIDI IN and MIDI OUT entries the
// dialog of that instance would pre-select (its candidate names, compared byte for byte; the
// last match in a list wins, as in the dialog).
#pragma once

#include <string>
#include <vector>

namespace kt73b::cli {

struct FoundDevice {
    int instance = 0;
    std::string in;   // empty: no MIDI IN carries the instance's names
    std::string out;  // empty: no MIDI OUT does
};

// Every instance with a port on at least one side, in instance order.
std::vector<FoundDevice> FindDevices(const std::vector<std::string>& ins,
                                     const std::vector<std::string>& outs);

// The MIDI device lists as the dialog fills them.
std::vector<std::string> MidiInNames();
std::vector<std::string> MidiOutNames();

// The name the emulated device of `instance` is registered under ("VELK KT Series (2)").
std::string EmulatedDeviceName(int instance);

}  // namespace kt73b::cli
