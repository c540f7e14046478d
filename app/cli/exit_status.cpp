#include "app/cli/exit_status.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

#include "resources/ui/ui_resources.h"

namespace kt73b::cli {

namespace {

constexpr std::array kTable = {
    ExitStatusInfo{ExitStatus::kCompleted, IDS_UPDATE_COMPLETED, "the update completed", ""},
    ExitStatusInfo{ExitStatus::kOtherFailure, 0, "the update did not complete for another reason",
                   "Run the update again."},
    ExitStatusInfo{ExitStatus::kUsage, 0, "the command line is wrong; nothing was started",
                   "See 'kt73b-update --help'."},
    ExitStatusInfo{ExitStatus::kNoSuchPort, 0,
                   "no MIDI port is named as asked, none has one of the device's names, or there "
                   "are no MIDI devices at all; nothing was started",
                   "Connect the KT-73B, or name its ports with --in and --out (see --list)."},
    ExitStatusInfo{ExitStatus::kCantOpenMidiOut, IDS_CANT_OPEN_MIDI_OUT,
                   "the MIDI output did not open; nothing was sent",
                   "Check that no other program uses the port, or choose another with --out."},
    ExitStatusInfo{ExitStatus::kCantOpenMidiIn, IDS_CANT_OPEN_MIDI_IN,
                   "the MIDI input did not open; nothing was sent",
                   "Check that no other program uses the port, or choose another with --in."},
    ExitStatusInfo{ExitStatus::kIdentityTimeOut, IDS_TIMEOUT_IDENTITY,
                   "the device did not answer the identity request",
                   "Check the cable and the chosen ports (see --list)."},
    ExitStatusInfo{ExitStatus::kIllegalDevice, IDS_ILLEGAL_DEVICE,
                   "the device on these ports is not a model this firmware is for",
                   "Check the chosen ports (see --list)."},
    ExitStatusInfo{ExitStatus::kNotInUpdateMode, IDS_USE_UPDATE_MODE,
                   "the device is not in its firmware update mode; nothing was erased",
                   "Start the device in its firmware update mode, then run the update again."},
    ExitStatusInfo{ExitStatus::kEraseTimeOut, IDS_TIMEOUT_ERASE,
                   "a flash region was not erased in time",
                   "Restart the device in its firmware update mode and run the update again."},
    ExitStatusInfo{ExitStatus::kWriteTimeOut, IDS_TIMEOUT_WRITE,
                   "the device stopped acknowledging the data written to it",
                   "Restart the device in its firmware update mode and run the update again."},
    ExitStatusInfo{ExitStatus::kTransferError, IDS_TRANSFER_ERROR,
                   "the device refused a request or kept reporting transfer errors",
                   "Restart the device in its firmware update mode and run the update again."},
    ExitStatusInfo{ExitStatus::kInterrupted, 0,
                   "interrupted (Ctrl-C or a request to terminate) before the update completed",
                   "The update did not complete: run it again before using the device."},
};

constexpr std::size_t kOtherFailureRow = 1;
static_assert(kTable[kOtherFailureRow].status == ExitStatus::kOtherFailure);

// "    6  "Time out error(1)": what it means", wrapped under itself at 79 columns.
std::string BuildHelp() {
    constexpr std::size_t kIndent = 7;
    constexpr std::size_t kWidth = 79;
    std::string text;
    for (const ExitStatusInfo& info : kTable) {
        char number[kIndent + 1];
        std::snprintf(number, sizeof number, "%5d  ", static_cast<int>(info.status));
        std::string words;
        if (info.stringId != 0)
            // Appended: GCC 12 at -O3 reports a false -Wrestrict overlap in "\"" + std::string.
            words.append("\"").append(res::LoadString(info.stringId)).append("\": ");
        words += info.meaning;
        std::string line = number;
        std::size_t start = 0;
        while (start < words.size()) {
            std::size_t end = words.size();
            if (end - start > kWidth - kIndent)
                end = words.rfind(' ', start + kWidth - kIndent);
            if (end == std::string::npos || end <= start)
                end = std::min(words.size(), start + kWidth - kIndent);
            text += line + words.substr(start, end - start) + "\n";
            start = end < words.size() && words[end] == ' ' ? end + 1 : end;
            line.assign(kIndent, ' ');
        }
    }
    return text;
}

}  // namespace

std::span<const ExitStatusInfo> ExitStatusTable() {
    return kTable;
}

const ExitStatusInfo& InfoFor(ExitStatus status) {
    for (const ExitStatusInfo& info : kTable) {
        if (info.status == status)
            return info;
    }
    return kTable[kOtherFailureRow];
}

ExitStatus StatusForMessage(std::string_view text) {
    for (const ExitStatusInfo& info : kTable) {
        if (info.stringId != 0 && info.status != ExitStatus::kCompleted &&
            res::LoadString(info.stringId) == text) {
            return info.status;
        }
    }
    return ExitStatus::kOtherFailure;
}

std::string_view ExitStatusHelp() {
    static const std::string help = BuildHelp();
    return help;
}

}  // namespace kt73b::cli
