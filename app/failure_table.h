// Every way an update can fail, in one table: the text the user is shown, the log line, whether
// the controls are given back, and the command line's exit status with its help. The update ends
// a run by naming a kind; everything else about it is read from here.
#pragma once

#include <span>
#include <string_view>

namespace kt73b {

// The command line's exit statuses: 0 only for a completed update, one of its own for each way
// an update or the program can fail.
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
    kPlaceholderFirmware = 12,
    kInstanceLimit = 13,
    kBadFirmwareFolder = 14,
    kSomeDevicesFailed = 15,  // --all: at least one device did not complete
    kInterrupted = 130,       // as shells report a program ended by Ctrl-C
};

enum class FailureKind {
    kPlaceholderFirmware,  // placeholder images and a device the program does not emulate
    kCantOpenMidiOut,
    kCantOpenMidiIn,
    kWorkerNotStarted,
    kIdentityNotSent,  // the run goes on: the identity wait decides
    kIdentityTimeOut,
    kIllegalDevice,
    kNotInUpdateMode,
    kUpdateModeRefused,
    kEraseTimeOut,
    kEraseRefused,
    kImageUnusable,
    kWriteTimeOut,
    kWriteRefused,
    kFinishTimeOut,
};

inline constexpr int kNoLogEntry = -1;

struct FailureRow {
    FailureKind kind;
    int stringId;               // the message box's text in the string table; 0: ownText
    std::string_view ownText;   // the program's own words where the string table has none
    int logEntry;               // the diagnostic log's line; kNoLogEntry for none
    bool endsRun;               // false only where the run goes on after the box
    bool restoresControls;      // the controls were taken for the run and are given back
    ExitStatus exitStatus;      // what kt73b-update ends with
    std::string_view meaning;   // for --help, in other words than the box's
    std::string_view nextStep;  // what the user can do about it
};

std::span<const FailureRow> FailureTable();
const FailureRow& RowFor(FailureKind kind);

// The message box's text of `row`.
std::string_view FailureText(const FailureRow& row);

// The kind's name for machine-readable output ("write-time-out"); stable across releases.
std::string_view FailureKindName(FailureKind kind);

}  // namespace kt73b
