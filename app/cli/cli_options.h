// The command line of kt73b-update, read by a pure function: no input or output, no state, so
// that any list of words can be fed to it.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kt73b::cli {

struct CliOptions {
    bool help = false;
    bool version = false;  // print the version and the firmware an update would write, and exit
    bool list = false;     // print the devices and exit
    bool emulate = false;  // update the emulated device built into the program
    int emulateCount = 1;  // with --emulate: devices 1 to this many are emulated
    bool all = false;      // update every device found, each in a child process
    bool json = false;     // the run's events as JSON lines on standard output
    // Hidden, for --all's children: claim exactly this instance number (0: the lowest free).
    int instance = 0;
    // A port by position in its list (digits only) or by its exact name; empty: the default.
    std::optional<std::string> in;
    std::optional<std::string> out;
    std::string faultRules;      // with --emulate: the emulated device's faults, in rule syntax
    int faultInstance = 0;       // the device the faults are for ("3:..."); 0: every device
    std::string firmwareFolder;  // the images to write instead of those built in; empty: those
};

// Reads `args` (the words after the program's name). False, with what is wrong in `error`,
// when a word is not understood; `options` is then of no use.
bool ParseCliOptions(std::span<const std::string_view> args, CliOptions& options,
                     std::string& error);

std::string CliHelpText();

}  // namespace kt73b::cli
