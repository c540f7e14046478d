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
    // A port by position in its list (digits only) or by its exact name; empty: the default.
    std::optional<std::string> in;
    std::optional<std::string> out;
    std::string faultRules;      // with --emulate: the emulated device's faults, in rule syntax
    std::string firmwareFolder;  // the images to write instead of those built in; empty: those
};

// Reads `args` (the words after the program's name). False, with what is wrong in `error`,
// when a word is not understood; `options` is then of no use.
bool ParseCliOptions(std::span<const std::string_view> args, CliOptions& options,
                     std::string& error);

std::string CliHelpText();

}  // namespace kt73b::cli
