#include "app/cli/exit_status.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <string>

namespace kt73b::cli {

namespace {

// The ends that are the program's own rather than the update's.
constexpr std::array kProgramEnds = {
    ExitStatusInfo{ExitStatus::kCompleted, "the update completed", ""},
    ExitStatusInfo{ExitStatus::kOtherFailure, "the update did not complete for another reason",
                   "Run the update again."},
    ExitStatusInfo{ExitStatus::kUsage, "the command line is wrong; nothing was started",
                   "See 'kt73b-update --help'."},
    ExitStatusInfo{ExitStatus::kNoSuchPort,
                   "no MIDI port is named as asked, none has one of the device's names, or there "
                   "are no MIDI devices at all; nothing was started",
                   "Connect the KT-73B, or name its ports with --in and --out (see --list)."},
    ExitStatusInfo{ExitStatus::kInstanceLimit,
                   "twenty copies of the updater are running already; nothing was started",
                   "Wait for one of them to end."},
    ExitStatusInfo{ExitStatus::kBadFirmwareFolder,
                   "a firmware image of --firmware is missing or of the wrong size; nothing was "
                   "sent",
                   "Name the folder that holds 129.bin, 136.bin and 137.bin of the release."},
    ExitStatusInfo{ExitStatus::kSomeDevicesFailed,
                   "--all: at least one device did not complete its update (the summary says "
                   "which, and why)",
                   "Run the update again for the devices that did not complete."},
    ExitStatusInfo{ExitStatus::kInterrupted,
                   "interrupted (Ctrl-C or a request to terminate) before the update completed",
                   "The update did not complete: run it again before using the device."},
};

struct HelpEntry {
    std::string_view box;  // the message box's text, where a failure shows one
    std::string_view meaning;
};

// Every status once: the program's ends, then the update's failures (kinds that share a status
// share the first one's words).
std::map<int, HelpEntry> HelpEntries() {
    std::map<int, HelpEntry> entries;
    for (const ExitStatusInfo& info : kProgramEnds) {
        entries.emplace(static_cast<int>(info.status), HelpEntry{"", info.meaning});
    }
    for (const FailureRow& row : FailureTable()) {
        if (row.endsRun) {
            const std::string_view box = row.stringId != 0 ? FailureText(row) : "";
            entries.emplace(static_cast<int>(row.exitStatus), HelpEntry{box, row.meaning});
        }
    }
    return entries;
}

// "    6  "Time out error(1)": what it means", wrapped under itself at 79 columns.
std::string BuildHelp() {
    constexpr std::size_t kIndent = 7;
    constexpr std::size_t kWidth = 79;
    std::string text;
    for (const auto& [status, entry] : HelpEntries()) {
        char number[kIndent + 1];
        std::snprintf(number, sizeof number, "%5d  ", status);
        std::string words;
        if (!entry.box.empty()) {
            // Appended: GCC 12 at -O3 reports a false -Wrestrict overlap in "\"" + std::string.
            words.append("\"").append(entry.box).append("\": ");
        }
        words += entry.meaning;
        std::string line = number;
        std::size_t start = 0;
        while (start < words.size()) {
            std::size_t end = words.size();
            if (end - start > kWidth - kIndent) {
                end = words.rfind(' ', start + kWidth - kIndent);
            }
            if (end == std::string::npos || end <= start) {
                end = std::min(words.size(), start + kWidth - kIndent);
            }
            text += line + words.substr(start, end - start) + "\n";
            start = end < words.size() && words[end] == ' ' ? end + 1 : end;
            line.assign(kIndent, ' ');
        }
    }
    return text;
}

}  // namespace

ExitStatusInfo InfoFor(ExitStatus status) {
    for (const ExitStatusInfo& info : kProgramEnds) {
        if (info.status == status) {
            return info;
        }
    }
    for (const FailureRow& row : FailureTable()) {
        if (row.endsRun && row.exitStatus == status) {
            return {status, row.meaning, row.nextStep};
        }
    }
    return kProgramEnds[1];
}

std::string_view ExitStatusHelp() {
    static const std::string help = BuildHelp();
    return help;
}

}  // namespace kt73b::cli
