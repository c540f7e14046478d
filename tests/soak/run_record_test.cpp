// The soak's judgement of one run: what counts as keeping the update's promise and what not.
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

RunRecord Failed(const std::string& box, const std::string& step, Texts log) {
    RunRecord record;
    record.end = RunEnd::kFailed;
    record.statusLine = "Data transmit  2048 / 262144 ";
    record.stepCounter = step;
    record.boxes = {box};
    record.logLines = std::move(log);
    record.executeEnabled = true;
    record.listsAndRescanEnabled = true;
    record.crcErrorAnswers = 10;
    record.flashErrorAnswers = 10;
    record.workerEndedAfterClose = true;
    return record;
}

TEST(RunRecord_Completed, KeepsThePromiseOnlyWithTheImagesInTheFlash) {
    EXPECT_TRUE(Violations(Completed()).empty());
    RunRecord differs = Completed();
    differs.flashDifference = "flash differs from image 129 at 0x000800";
    ASSERT_EQ(Violations(differs).size(), 1u);
    EXPECT_NE(Violations(differs)[0].find("0x000800"), std::string::npos);
}

TEST(RunRecord_Completed, AllowsTheLinesOfFailingAnswersThatWereSentAgain) {
    RunRecord record = Completed();
    record.logLines = {"(CRC)Transfer error occurred.", "(Flash Write)Transfer error occurred."};
    record.crcErrorAnswers = 1;
    record.flashErrorAnswers = 1;
    EXPECT_TRUE(Violations(record).empty());
    record.logLines.push_back("(Write)Time Out Error.");
    EXPECT_EQ(Violations(record).size(), 1u);
}

TEST(RunRecord_Completed, IsWrongWithABoxOrWithoutAnAnswerToTheFinish) {
    RunRecord boxed = Completed();
    boxed.boxes = {"Transfer error occurred."};
    EXPECT_EQ(Violations(boxed).size(), 1u);
    RunRecord unfinished = Completed();
    unfinished.finishesAnswered = 0;
    EXPECT_EQ(Violations(unfinished).size(), 1u);
}

TEST(RunRecord_Failed, EachMessageGoesWithItsStepAndItsLogLine) {
    EXPECT_TRUE(Violations(Failed("Time out error(1)", "0/6", {"Midi out error."})).empty());
    EXPECT_TRUE(
        Violations(Failed("Illegal device connected.", "0/6", {"Illegal device connected."}))
            .empty());
    EXPECT_TRUE(Violations(Failed("Transfer error occurred.", "0/6", {})).empty());
    EXPECT_TRUE(Violations(Failed("Time out error(3)", "4/6", {"(Erase)Time Out Error."})).empty());
    EXPECT_TRUE(
        Violations(Failed("Transfer error occurred.", "1/6", {"(Erase)Time Out Error."})).empty());
    EXPECT_TRUE(Violations(Failed("Time out error(2)", "3/6",
                                  {"(CRC)Transfer error occurred.", "(Write)Time Out Error."}))
                    .empty());
    EXPECT_TRUE(Violations(Failed("Transfer error occurred.", "5/6",
                                  Texts(4, "(CRC)Transfer error occurred.")))
                    .empty());
}

TEST(RunRecord_Failed, AMessageWithTheWrongLineOrInTheWrongStepBreaksThePromise) {
    EXPECT_FALSE(Violations(Failed("Time out error(2)", "3/6", {})).empty());
    EXPECT_FALSE(
        Violations(Failed("Time out error(2)", "2/6", {"(Write)Time Out Error."})).empty());
    EXPECT_FALSE(Violations(Failed("Transfer error occurred.", "2/6", {})).empty());
    EXPECT_FALSE(
        Violations(Failed("Transfer error occurred.", "3/6", {"(Erase)Time Out Error."})).empty());
    EXPECT_FALSE(Violations(Failed("Time out error(1)", "0/6",
                                   {"Midi out error.", "Illegal device connected."}))
                     .empty());
}

TEST(RunRecord_Failed, TheFinishWaitIsTheLastStepOnceAFinishRequestWasSent) {
    RunRecord finish = Failed("Transfer error occurred.", "6/6", {});
    EXPECT_TRUE(Violations(finish).empty());  // the last chunk's seventh failing answer
    finish.finishRequests = 1;
    EXPECT_TRUE(Violations(finish).empty());  // the finish time-out
    finish.logLines = {"(Write)Time Out Error."};
    EXPECT_FALSE(Violations(finish).empty());
}

TEST(RunRecord_Failed, NeedsExactlyOneBoxAndTheControlsBack) {
    RunRecord two = Failed("Time out error(1)", "0/6", {"Midi out error."});
    two.boxes.push_back("Time out error(1)");
    EXPECT_FALSE(Violations(two).empty());
    RunRecord disabled = Failed("Time out error(1)", "0/6", {"Midi out error."});
    disabled.executeEnabled = false;
    EXPECT_FALSE(Violations(disabled).empty());
}

TEST(RunRecord_AnyEnd, LogLinesNeedAnswersThatCauseThem) {
    RunRecord record = Failed("Transfer error occurred.", "3/6",
                              Texts(7, "(Flash Write)Transfer error occurred."));
    record.flashErrorAnswers = 6;
    EXPECT_EQ(Violations(record).size(), 1u);
}

TEST(RunRecord_AnyEnd, NothingMayFollowTheClose) {
    RunRecord record;
    record.end = RunEnd::kClosed;
    record.workerEndedAfterClose = true;
    EXPECT_TRUE(Violations(record).empty());
    record.logLinesAfterClose = 1;
    EXPECT_EQ(Violations(record).size(), 1u);
    record.logLinesAfterClose = 0;
    record.workerEndedAfterClose = false;
    EXPECT_EQ(Violations(record).size(), 1u);
}

TEST(RunRecord_Waiting, OnlyInTheUpdateModeWaitAndWithoutMessages) {
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
