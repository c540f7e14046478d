// The progress as a terminal shows it (one line redrawn, fitted to the width) and as a file or a
// pipe gets it (plain lines, only when something worth a line has changed).
#include "platform/ui/terminal/progress_printer.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace kt73b::ui {
namespace {

using namespace std::chrono_literals;

class PrinterTest : public ::testing::Test {
  protected:
    ProgressPrinter Make(bool terminal, int width = 80) {
        return ProgressPrinter([this](std::string_view text) { written_.emplace_back(text); },
                               terminal, width);
    }
    // Each call sets the status again, as the dialog does at every send.
    ProgressLine Line(std::string step, std::string status, int high, int position) {
        return {std::move(step), std::move(status), ++sets_, 0, high, position, "fig"};
    }

    std::vector<std::string> written_;
    unsigned sets_ = 0;
    const ProgressPrinter::Clock::time_point t0_{1h};
};

TEST_F(PrinterTest, PlainLinesComeAtANewKindOfStatusAndAtEachTenth) {
    ProgressPrinter printer = Make(false);
    printer.Show(Line("1/6", "Erasing Flash memory.", 10, 1), t0_);
    printer.Show(Line("2/6", "Erasing Flash memory.", 10, 1), t0_);
    for (int done = 0; done <= 40960; done += 2048) {
        printer.Show(
            Line("3/6", "Data transmit  " + std::to_string(done) + " / 40960 ", 40960, done), t0_);
    }
    printer.Show(Line("6/6", "Version update completed.", 40960, 40960), t0_);
    ASSERT_EQ(written_.size(), 14u);
    EXPECT_EQ(written_[0], "[1/6] Erasing Flash memory.  (fig)\n");
    EXPECT_EQ(written_[1], "[2/6] Erasing Flash memory.  (fig)\n");
    EXPECT_EQ(written_[2], "[3/6] Data transmit  0 / 40960  (fig)\n");
    EXPECT_EQ(written_[3], "[3/6] Data transmit  4096 / 40960  (fig)\n");
    EXPECT_EQ(written_[12], "[3/6] Data transmit  40960 / 40960  (fig)\n");
    EXPECT_EQ(written_[13], "[6/6] Version update completed.  (fig)\n");
}

TEST_F(PrinterTest, PlainLinesWaitForTheStatusToBeSetAndSkipAnEmptyOne) {
    ProgressPrinter printer = Make(false);
    ProgressLine line = Line("0/6", "", 100, 0);
    printer.Show(line, t0_);
    line.step = "1/6";  // the counter moves before the status line is set
    line.status = "Erasing Flash memory.";
    printer.Show(line, t0_);
    EXPECT_TRUE(written_.empty());
    line.statusSets = ++sets_;
    printer.Show(line, t0_);
    printer.Show(line, t0_ + 1s);  // nothing set since
    EXPECT_EQ(written_, std::vector<std::string>{"[1/6] Erasing Flash memory.  (fig)\n"});
}

TEST_F(PrinterTest, TerminalRedrawsOneLineNoMoreThanEveryIntervalAndABreakEndsIt) {
    ProgressPrinter printer = Make(true, 100);
    printer.Show(Line("3/6", "Data transmit  0 / 40960 ", 40960, 0), t0_);
    printer.Show(Line("3/6", "Data transmit  2048 / 40960 ", 40960, 2048), t0_ + 10ms);
    ASSERT_EQ(written_.size(), 1u);
    EXPECT_EQ(written_[0].front(), '\r');
    EXPECT_TRUE(written_[0].ends_with("\033[K"));
    printer.Show(Line("3/6", "Data transmit  20480 / 40960 ", 40960, 20480), t0_ + 150ms);
    ASSERT_EQ(written_.size(), 2u);
    EXPECT_NE(written_[1].find("Data transmit  20480 / 40960  ["), std::string::npos)
        << written_[1];
    EXPECT_NE(written_[1].find("]  50%  fig"), std::string::npos) << written_[1];
    // Another kind of status is drawn at once.
    printer.Show(Line("4/6", "Erasing Flash memory.", 10, 1), t0_ + 160ms);
    ASSERT_EQ(written_.size(), 3u);
    EXPECT_NE(written_[2].find("[4/6] Erasing Flash memory."), std::string::npos);
    // A break (a box, the end) draws what was held back and ends the line, once.
    printer.Show(Line("5/6", "Data transmit  0 / 40960 ", 40960, 0), t0_ + 170ms);
    printer.Show(Line("5/6", "Data transmit  38912 / 40960 ", 40960, 38912), t0_ + 171ms);
    printer.Break();
    printer.Break();
    ASSERT_EQ(written_.size(), 6u);
    EXPECT_NE(written_[4].find("38912 / 40960"), std::string::npos);
    EXPECT_EQ(written_[5], "\n");
}

// The line never reaches the last column; a narrow terminal drops the status text, not the bar.
TEST_F(PrinterTest, TheLineFitsTheWidthDroppingTheStatusTextBeforeTheBar) {
    const std::tuple<int, const char*, const char*> widths[] = {
        {120, "[5/6] Data transmit  1165312 / 2912256  [#", "  40%  fig"},
        {60, "\r[5/6] [#", "  40%  fig"},
        {12, "", ""},
        {1, "", ""}};
    for (const auto& [width, start, end] : widths) {
        written_.clear();
        ProgressPrinter printer = Make(true, width);
        printer.Show(Line("5/6", "Data transmit  1165312 / 2912256 ", 2912256, 1165312), t0_);
        ASSERT_EQ(written_.size(), 1u);
        const std::string& drawn = written_[0];
        const std::size_t visible = drawn.size() - 1 - std::string_view("\033[K").size();
        EXPECT_LE(static_cast<int>(visible), std::max(width - 1, 0)) << drawn;
        EXPECT_NE(drawn.find(start), std::string::npos) << drawn;
        EXPECT_NE(drawn.find(end), std::string::npos) << drawn;
    }
}

}  // namespace
}  // namespace kt73b::ui
