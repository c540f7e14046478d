// The exit statuses of kt73b-update: 0 only for a completed update, one of its own for each way
// an update or the program can fail. One table says what each means and what to do next; --help
// is written from it.
#pragma once

#include <span>
#include <string_view>

namespace kt73b::cli {

enum class ExitStatus : int {
    kCompleted = 0,
    kOtherFailure = 1,
    kUsage = 2,
    kNoSuchPort = 3,
    kCantOpenMidiOut = 4,
    kCantOpenMidiIn = 5,
    kIdentityTimeOut = 6,
    kIllegalDevice = 7,
    kNotInUpdateMode = 8,
    kEraseTimeOut = 9,
    kWriteTimeOut = 10,
    kTransferError = 11,
    kInterrupted = 130,  // as shells report a program ended by Ctrl-C
};

struct ExitStatusInfo {
    ExitStatus status;
    int stringId;               // the message box that stands for it; 0 when none does
    std::string_view meaning;   // in other words, for --help
    std::string_view nextStep;  // what the user can do about it
};

std::span<const ExitStatusInfo> ExitStatusTable();
const ExitStatusInfo& InfoFor(ExitStatus status);

// The status that a failure reported in a message box with `text` ends the program with.
ExitStatus StatusForMessage(std::string_view text);

// The table as --help shows it.
std::string_view ExitStatusHelp();

}  // namespace kt73b::cli
