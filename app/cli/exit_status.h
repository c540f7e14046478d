// The exit statuses of kt73b-update: 0 only for a completed update, one of its own for each way
// an update or the program can fail. The update's failures are rows of the failure table; the
// program's own ends (a wrong command line, no port, Ctrl-C...) are listed here. --help is
// written from both.
#pragma once

#include <string_view>

#include "app/failure_table.h"

namespace kt73b::cli {

struct ExitStatusInfo {
    ExitStatus status;
    std::string_view meaning;   // for --help
    std::string_view nextStep;  // what the user can do about it
};

// What `status` means and what to do next, from whichever table holds it.
ExitStatusInfo InfoFor(ExitStatus status);

// Every status with its meaning, as --help shows it.
std::string_view ExitStatusHelp();

}  // namespace kt73b::cli
