// What one soak run left behind: how it ended, what the user saw, what the log and the device's
// flash hold, and whether anything happened after the dialog was closed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/failure_table.h"

namespace kt73b::soak {

enum class RunEnd {
    kCompleted,             // "Version update completed." and the controls back
    kFailed,                // a message box and the controls back
    kWaitingForUpdateMode,  // no answer to the update-mode request can come: it waits, unbounded
    kClosed,                // the user closed the dialog while the run went on
    kHung,                  // none of these within the run's time bound
};

const char* RunEndName(RunEnd end);

struct RunRecord {
    RunEnd end = RunEnd::kHung;
    std::string statusLine;
    std::string stepCounter;
    std::optional<FailureKind> failure;  // the failure the run reported as its end
    std::vector<std::string> boxes;      // message boxes of this run, in order
    std::vector<std::string> logLines;   // log texts of this run, in order
    bool executeEnabled = false;
    bool listsAndRescanEnabled = false;
    std::string flashDifference;          // empty when the flash equals the images
    std::uint32_t finishRequests = 0;     // finish requests that reached the device
    std::uint32_t finishesAnswered = 0;   // ... and that it answered, with any status
    std::uint32_t crcErrorAnswers = 0;    // answers with status 8 the device sent
    std::uint32_t flashErrorAnswers = 0;  // answers with status 3 the device sent

    bool workerEndedAfterClose = false;
    std::size_t boxesAfterClose = 0;
    std::size_t logLinesAfterClose = 0;
};

// Everything in `record` that breaks the update's promise: completed only with the flash equal to
// the images, otherwise one failure with its message and log lines, nothing after the close.
// Empty when the run kept it.
std::vector<std::string> Violations(const RunRecord& record);

}  // namespace kt73b::soak
