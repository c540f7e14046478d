// The soak's judgement of one run: a judge that lets a broken run pass would hide the very faults
// the soak is for, so each rule is shown to reject what it must.
#include "run_record.h"

#include <gtest/gtest.h>

namespace kt73b::soak {
namespace {

using Texts = std::vector<std::string>;

RunRecord Completed() {
    RunRecord record;
    record.end = RunEnd::kCompleted;
    record.statusLine = "Version update completed.";
    record.stepCounter = "6/6";
    record.listsAndRescanEnabled = true;
    record.finishRequests = 1;
    record.finishesAnswered = 1;
    record.workerEndedAfterClose = true;
    return record;
}

RunRecord Failed(FailureKind kind, const std::string& step, Texts log) {
    RunRecord record;
    record.end = RunEnd::kFailed;
    record.statusLine = "Data transmit  2048 / 262144 ";
    record.stepCounter = step;
    record.failure = kind;
    record.boxes = {std::string(FailureText(RowFor(kind)))};
    record.logLines = std::move(log);
    record.executeEnabled = true;
    record.listsAndRescanEnabled = true;
    record.crcErrorAnswers = 10;
    record.flashErrorAnswers = 10;
    record.workerEndedAfterClose = true;
    return record;
}

TEST(RunRecord, CompletedKeepsThePromiseOnlyWithTheImagesAndAnAnsweredFinish) {
    EXPECT_TRUE(Violations(Completed()).empty());
    RunRecord differs = Completed();
    differs.flashDifference = "flash differs from image 129 at 0x000800";
    ASSERT_EQ(Violations(differs).size(), 1u);
    EXPECT_NE(Violations(differs)[0].find("0x000800"), std::string::npos);
    RunRecord boxed = Completed();
    boxed.boxes = {"Transfer error occurred."};
    EXPECT_EQ(Violations(boxed).size(), 1u);
    RunRecord unfinished = Completed();
    unfinished.finishesAnswered = 0;
    EXPECT_EQ(Violations(unfinished).size(), 1u);
    // Lines of failing answers whose chunk went out again are fine; a time-out line is not.
    RunRecord retried = Completed();
    retried.logLines = {"(CRC)Transfer error occurred.", "(Flash Write)Transfer error occurred."};
    retried.crcErrorAnswers = 1;
    retried.flashErrorAnswers = 1;
    EXPECT_TRUE(Violations(retried).empty());
    retried.logLines.push_back("(Write)Time Out Error.");
    EXPECT_EQ(Violations(retried).size(), 1u);
}

struct FailureCase {
    FailureKind kind;
    const char* step;
    Texts log;
    bool keepsThePromise;
};

TEST(RunRecord, FailedGoesWithItsStepAndItsLogLines) {
    const FailureCase cases[] = {
        {FailureKind::kIdentityTimeOut, "0/6", {"Midi out error."}, true},
        {FailureKind::kIllegalDevice, "0/6", {"Illegal device connected."}, true},
        {FailureKind::kUpdateModeRefused, "0/6", {}, true},
        {FailureKind::kEraseTimeOut, "4/6", {"(Erase)Time Out Error."}, true},
        {FailureKind::kEraseRefused, "1/6", {"(Erase)Time Out Error."}, true},
        {FailureKind::kWriteTimeOut,
         "3/6",
         {"(CRC)Transfer error occurred.", "(Write)Time Out Error."},
         true},
        {FailureKind::kWriteRefused, "5/6", Texts(4, "(CRC)Transfer error occurred."), true},
        {FailureKind::kWriteRefused, "6/6", {}, true},  // the last chunk's seventh failing answer
        {FailureKind::kWriteTimeOut, "3/6", {}, false},
        {FailureKind::kWriteTimeOut, "2/6", {"(Write)Time Out Error."}, false},
        {FailureKind::kWriteRefused, "2/6", {}, false},
        {FailureKind::kWriteRefused, "3/6", {"(Erase)Time Out Error."}, false},
        {FailureKind::kIdentityTimeOut,
         "0/6",
         {"Midi out error.", "Illegal device connected."},
         false},
        {FailureKind::kWriteRefused, "6/6", {"(Write)Time Out Error."}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(FailureText(RowFor(c.kind))) + " in " + c.step);
        EXPECT_EQ(Violations(Failed(c.kind, c.step, c.log)).empty(), c.keepsThePromise);
    }
    // The box must be the reported failure's own.
    RunRecord otherBox = Failed(FailureKind::kIdentityTimeOut, "0/6", {"Midi out error."});
    otherBox.boxes = {"Illegal device connected."};
    EXPECT_FALSE(Violations(otherBox).empty());
}

TEST(RunRecord, FailedNeedsOneBoxTheControlsBackAndAnAnswerForEachLine) {
    RunRecord two = Failed(FailureKind::kIdentityTimeOut, "0/6", {"Midi out error."});
    two.boxes.push_back("Time out error(1)");
    EXPECT_FALSE(Violations(two).empty());
    RunRecord disabled = Failed(FailureKind::kIdentityTimeOut, "0/6", {"Midi out error."});
    disabled.executeEnabled = false;
    EXPECT_FALSE(Violations(disabled).empty());
    RunRecord uncaused = Failed(FailureKind::kWriteRefused, "3/6",
                                Texts(7, "(Flash Write)Transfer error occurred."));
    uncaused.flashErrorAnswers = 6;
    EXPECT_EQ(Violations(uncaused).size(), 1u);
    RunRecord finish = Failed(FailureKind::kFinishTimeOut, "6/6", {});
    finish.finishRequests = 1;  // the finish wait timed out
    EXPECT_TRUE(Violations(finish).empty());
}

TEST(RunRecord, NothingFollowsTheCloseAndOnlyTheUpdateModeWaitMayLast) {
    RunRecord closed;
    closed.end = RunEnd::kClosed;
    closed.workerEndedAfterClose = true;
    EXPECT_TRUE(Violations(closed).empty());
    closed.logLinesAfterClose = 1;
    EXPECT_EQ(Violations(closed).size(), 1u);
    closed.logLinesAfterClose = 0;
    closed.workerEndedAfterClose = false;
    EXPECT_EQ(Violations(closed).size(), 1u);

    RunRecord waiting;
    waiting.end = RunEnd::kWaitingForUpdateMode;
    waiting.statusLine = "Erasing Flash memory.";
    waiting.stepCounter = "0/6";
    waiting.workerEndedAfterClose = true;
    EXPECT_TRUE(Violations(waiting).empty());
    waiting.stepCounter = "1/6";
    EXPECT_FALSE(Violations(waiting).empty());
    RunRecord hung;
    hung.workerEndedAfterClose = true;
    EXPECT_FALSE(Violations(hung).empty());
}

}  // namespace
}  // namespace kt73b::soak
