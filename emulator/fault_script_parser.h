// The text form of fault scripts, for the command line and for tests:
//   RULE[;RULE...]            RULE = TARGET=EFFECT[,EFFECT...]
//   TARGET = KIND[#N | #N-M | #N+]   KIND = identity | update-mode | erase | write | finish | any
//   EFFECT = ignore | drop | duplicate | silent | delay:T | late:T | status:S | model:M
//          | split:N | truncate:N
// e.g. "write#3=status:8", "erase=ignore", "write#5-10=ignore;finish=delay:2s".
#pragma once

#include <string>
#include <string_view>

#include "emulator/fault_script.h"

namespace kt73b::emu {

// Adds the rules of `text` to `script`. On a mistake adds nothing, says what is wrong in
// `error` and returns false.
bool ParseFaultScript(std::string_view text, FaultScript& script, std::string& error);

// The syntax above in a few lines, for --help.
const char* FaultSyntaxHelp();

}  // namespace kt73b::emu
