// Bytes written and the time left, from the step counter and the bar as the dialog sets them,
// at times the test chooses.
#include "app/cli/update_progress.h"

#include <gtest/gtest.h>

namespace kt73b::cli {
namespace {

using namespace std::chrono_literals;
using Clock = UpdateProgress::Clock;

constexpr std::uint64_t kTotal = 0x40000 + 0x2C7000 + 0xB0000;
constexpr int kLowRegion = 0x40000;

class UpdateProgressTest : public ::testing::Test {
  protected:
    // The dialog's calls of one step: the counter first, then the bar's range and position.
    void At(Clock::duration since, int step, int high, int position) {
        progress_.Observe(step, high, position, start_ + since);
    }
    ProgressFigures FiguresAt(Clock::duration since) { return progress_.Figures(start_ + since); }

    UpdateProgress progress_;
    const Clock::time_point start_ = Clock::time_point{} + 1000s;
};

TEST_F(UpdateProgressTest, TheTimeLeftIsKnownOnceErasingAndWritingHaveBeenMeasuredAndCountsDown) {
    At(0s, 0, 100, 0);
    EXPECT_EQ(FiguresAt(0s).written, 0u);
    EXPECT_EQ(FiguresAt(0s).total, kTotal);
    At(0s, 1, 10, 1);
    At(11s, 2, 10, 1);  // 0xB0000 bytes erased in 11 s: 1 s per 64 KiB
    EXPECT_FALSE(FiguresAt(12s).left.has_value());
    At(15s, 3, 10, 10);  // 0x40000 erased in 4 s; the bar still shows the erase step
    EXPECT_EQ(FiguresAt(15s).written, 0u);
    EXPECT_FALSE(FiguresAt(15s).left.has_value());
    At(15s, 3, kLowRegion, 10);  // the range is the region's, the position not yet a chunk
    EXPECT_EQ(FiguresAt(15s).written, 0u);
    At(23s, 3, kLowRegion, kLowRegion / 2);  // half the region in 8 s: 16 KiB per s

    const ProgressFigures figures = FiguresAt(23s);
    EXPECT_EQ(figures.written, static_cast<std::uint64_t>(kLowRegion / 2));
    ASSERT_TRUE(figures.left.has_value());
    // Left: 0x2C7000 to erase at 1 s per 64 KiB (44.4 s), and 3,764,224 bytes to write at
    // 16 KiB per s (229.75 s).
    EXPECT_EQ(figures.left->count(), 274);

    // The low region written in 16 s: the next erase step counts down from its estimate.
    At(31s, 4, kLowRegion, kLowRegion);
    const auto atStart = FiguresAt(31s).left;
    const auto later = FiguresAt(61s).left;
    ASSERT_TRUE(atStart && later);
    EXPECT_EQ(atStart->count() - later->count(), 30);
    // Longer than estimated: the erase counts as done; 3,633,152 bytes to write at 16 KiB per s
    // remain (221.75 s).
    const auto overdue = FiguresAt(200s).left;
    ASSERT_TRUE(overdue);
    EXPECT_EQ(overdue->count(), 222);
}

TEST(ProgressFiguresText, ShowsKibibytesAndMinutes) {
    EXPECT_EQ(FormatFigures({0, kTotal, std::nullopt}), "0/3804 KiB");
    EXPECT_EQ(FormatFigures({131072, kTotal, std::chrono::seconds(99)}), "128/3804 KiB, 1:39 left");
    EXPECT_EQ(FormatFigures({kTotal, kTotal, std::chrono::seconds(0)}), "3804/3804 KiB");
}

}  // namespace
}  // namespace kt73b::cli
