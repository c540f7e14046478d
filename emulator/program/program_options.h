// The command line of kt73b-emulator: what device to be, how slow, which faults, and what to do
// with the flash when an update finishes. Every option is listed in one table that also
// writes --help.
#pragma once

#include <string>

#include "emulator/emulator.h"

namespace kt73b::emu {

inline constexpr const char* kDefaultClientName = "VELK KT Series";

struct ProgramOptions {
    std::string name = kDefaultClientName;
    EmulatorSettings settings;
    std::string flashOut;   // empty: the flash is not written out
    bool once = false;      // exit after the first finish request
    std::string expectDir;  // empty: compare with the images built in
    bool verbose = false;   // print every message both ways
    bool help = false;
    bool listFaultScripts = false;
};

// False, with the reason in `error`, when an option is unknown or its value is not valid.
bool ParseProgramOptions(int argc, const char* const* argv, ProgramOptions& options,
                         std::string& error);

std::string HelpText();
std::string FaultScriptList();

}  // namespace kt73b::emu
