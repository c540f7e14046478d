#include "run_record.h"

#include <algorithm>
#include <cstdlib>

#include "app/log_messages.h"
#include "engine/step_table.h"
#include "resources/ui/ui_resources.h"

namespace kt73b::soak {

namespace {

enum class Phase { kHandshake, kErase, kWrite, kFinish, kUnknown };

std::string Text(int stringId) {
    return std::string(res::LoadString(stringId));
}

std::string LogText(LogEntry entry) {
    return kLogMessages[static_cast<std::size_t>(entry)];
}

// Log lines a write step leaves for each failing answer, on the way to any outcome.
bool IsAnswerLine(const std::string& line) {
    return line == LogText(kLogCrcError) || line == LogText(kLogFlashWriteError);
}

Phase PhaseOf(const RunRecord& record) {
    const std::string& counter = record.stepCounter;
    if (counter == "0/" + std::to_string(kStepCount)) {
        return Phase::kHandshake;
    }
    const auto slash = counter.find('/');
    const int step = slash == std::string::npos ? 0 : std::atoi(counter.substr(0, slash).c_str());
    if (step < 1 || step > static_cast<int>(kStepCount)) {
        return Phase::kUnknown;
    }
    if (step == static_cast<int>(kStepCount) && record.finishRequests > 0) {
        return Phase::kFinish;
    }
    return kStepTable[static_cast<std::size_t>(step - 1)].type == kStepErase ? Phase::kErase
                                                                             : Phase::kWrite;
}

// Where in a run each failure that ends it can happen.
Phase PhaseOfFailure(FailureKind kind) {
    switch (kind) {
        case FailureKind::kEraseTimeOut:
        case FailureKind::kEraseRefused:
            return Phase::kErase;
        case FailureKind::kImageUnusable:
        case FailureKind::kWriteTimeOut:
        case FailureKind::kWriteRefused:
            return Phase::kWrite;
        case FailureKind::kFinishTimeOut:
            return Phase::kFinish;
        case FailureKind::kIdentityTimeOut:
        case FailureKind::kIllegalDevice:
        case FailureKind::kNotInUpdateMode:
        case FailureKind::kUpdateModeRefused:
            return Phase::kHandshake;
        default:
            return Phase::kUnknown;  // ends that come before a run starts
    }
}

std::string Join(const std::vector<std::string>& texts) {
    std::string joined;
    for (const auto& text : texts) {
        joined += (joined.empty() ? "\"" : ", \"") + text + "\"";
    }
    return "[" + joined + "]";
}

void CheckCompleted(const RunRecord& record, std::vector<std::string>& found) {
    if (!record.flashDifference.empty()) {
        found.push_back("completed, but " + record.flashDifference);
    }
    if (!record.boxes.empty()) {
        found.push_back("completed after message boxes " + Join(record.boxes));
    }
    if (record.executeEnabled || !record.listsAndRescanEnabled) {
        found.push_back("completed, but the controls are not as a completed run leaves them");
    }
    if (!std::all_of(record.logLines.begin(), record.logLines.end(), IsAnswerLine)) {
        found.push_back("completed with failure lines in the log " + Join(record.logLines));
    }
    if (record.finishesAnswered == 0) {
        found.push_back("completed, but the device never answered a finish request");
    }
}

// The run's end names its row of the failure table: the box, the log line and the controls must
// be the row's, in a step where that failure can happen, after lines of failing answers only.
void CheckFailed(const RunRecord& record, std::vector<std::string>& found) {
    if (!record.failure) {
        found.push_back("failed without reporting its failure, with boxes " + Join(record.boxes));
        return;
    }
    const FailureRow& row = RowFor(*record.failure);
    if (record.boxes != std::vector{std::string(FailureText(row))}) {
        found.push_back("failed with message boxes " + Join(record.boxes) + ", not \"" +
                        std::string(FailureText(row)) + "\"");
    }
    if (record.statusLine == Text(IDS_UPDATE_COMPLETED)) {
        found.push_back("failed, yet the status line says it completed");
    }
    if (!record.executeEnabled || !record.listsAndRescanEnabled) {
        found.push_back("failed, but the controls were not restored");
    }
    std::vector<std::string> lines = record.logLines;
    bool rowLineLast = true;
    if (row.logEntry != kNoLogEntry) {
        rowLineLast =
            !lines.empty() && lines.back() == kLogMessages[static_cast<std::size_t>(row.logEntry)];
        if (rowLineLast) {
            lines.pop_back();
        }
    }
    if (PhaseOfFailure(*record.failure) != PhaseOf(record) || !rowLineLast ||
        !std::all_of(lines.begin(), lines.end(), IsAnswerLine)) {
        found.push_back("\"" + std::string(FailureText(row)) + "\" in step " + record.stepCounter +
                        " does not go with the log lines " + Join(record.logLines));
    }
}

void CheckWaiting(const RunRecord& record, std::vector<std::string>& found) {
    if (!record.boxes.empty() || !record.logLines.empty()) {
        found.push_back("waits for the update mode after boxes " + Join(record.boxes) +
                        " and log lines " + Join(record.logLines));
    }
    if (record.statusLine != Text(IDS_ERASING) || PhaseOf(record) != Phase::kHandshake) {
        found.push_back("waits, but the window shows step " + record.stepCounter + " \"" +
                        record.statusLine + "\"");
    }
}

// Each log line for a failing answer stands for an answer the device really sent.
void CheckAnswerLines(const RunRecord& record, std::vector<std::string>& found) {
    const auto count = [&record](LogEntry entry) {
        return static_cast<std::uint32_t>(
            std::count(record.logLines.begin(), record.logLines.end(), LogText(entry)));
    };
    if (count(kLogCrcError) > record.crcErrorAnswers) {
        found.push_back(std::to_string(count(kLogCrcError)) + " check-value lines for " +
                        std::to_string(record.crcErrorAnswers) + " answers with status 8");
    }
    if (count(kLogFlashWriteError) > record.flashErrorAnswers) {
        found.push_back(std::to_string(count(kLogFlashWriteError)) + " flash-write lines for " +
                        std::to_string(record.flashErrorAnswers) + " answers with status 3");
    }
}

}  // namespace

const char* RunEndName(RunEnd end) {
    switch (end) {
        case RunEnd::kCompleted:
            return "completed";
        case RunEnd::kFailed:
            return "failed";
        case RunEnd::kWaitingForUpdateMode:
            return "waiting for the update mode";
        case RunEnd::kClosed:
            return "closed during the run";
        case RunEnd::kHung:
            return "hung";
    }
    return "?";
}

std::vector<std::string> Violations(const RunRecord& record) {
    std::vector<std::string> found;
    switch (record.end) {
        case RunEnd::kCompleted:
            CheckCompleted(record, found);
            break;
        case RunEnd::kFailed:
            CheckFailed(record, found);
            break;
        case RunEnd::kWaitingForUpdateMode:
            CheckWaiting(record, found);
            break;
        case RunEnd::kClosed:
            break;
        case RunEnd::kHung:
            found.push_back("neither ended nor waited for an answer that cannot come, in step " +
                            record.stepCounter + " \"" + record.statusLine + "\"");
            break;
    }
    CheckAnswerLines(record, found);
    if (!record.workerEndedAfterClose) {
        found.push_back("the worker did not end after the dialog closed");
    }
    if (record.boxesAfterClose != 0 || record.logLinesAfterClose != 0) {
        found.push_back("message boxes or log lines after the dialog closed");
    }
    return found;
}

}  // namespace kt73b::soak
