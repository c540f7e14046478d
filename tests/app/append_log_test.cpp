#include "app/append_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/log_messages.h"
#include "tests/support/temp_dir.h"

namespace kt73b {
namespace {

namespace fs = std::filesystem;

CivilTime g_fixedUtc;
CivilTime FixedUtc() {
    return g_fixedUtc;
}

// Each test runs in a fresh current directory with a fixed clock.
class AppendLogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_fixedUtc = {2017, 2, 23, 6, 24, 50};
        SetLogClock(&FixedUtc);
    }
    void TearDown() override { SetLogClock(nullptr); }

    const kt73b::testing::ScratchFolder dir_;
};

// Without the file nothing is created; an index outside the table writes nothing; a file that
// cannot be opened for appending (a folder here) is skipped silently.
TEST_F(AppendLogTest, NothingIsWrittenWithoutTheFileOutsideTheTableOrWhenItCannotBeOpened) {
    for (int index = 0; index < 7; ++index) {
        AppendLog(index);
    }
    EXPECT_TRUE(fs::is_empty(dir_.Path()));
    std::ofstream(kLogFileName).flush();
    AppendLog(-1);
    AppendLog(7);
    EXPECT_EQ(kt73b::testing::ReadFile(kLogFileName), "");
    fs::remove(kLogFileName);
    fs::create_directory(kLogFileName);
    AppendLog(kLogMidiOutError);
    EXPECT_TRUE(fs::is_empty(kLogFileName));
}

// Each line goes behind what the file held, in Japan time, with CR LF whatever the platform.
TEST_F(AppendLogTest, LinesAppendInJapanTimeWithNineHoursCarryingIntoTheDate) {
    { std::ofstream(kLogFileName, std::ios::binary) << "earlier\r\n"; }
    AppendLog(kLogMidiOutError);
    g_fixedUtc = {2017, 12, 31, 20, 30, 5};
    AppendLog(kLogCrcError);
    g_fixedUtc = {2016, 2, 28, 15, 0, 0};
    AppendLog(kLogEraseTimeOut);
    g_fixedUtc = {2017, 2, 28, 15, 0, 0};
    AppendLog(kLogWriteTimeOut);
    EXPECT_EQ(kt73b::testing::ReadFile(kLogFileName),
              "earlier\r\n"
              "2017/02/23 15:24:50     Midi out error.\r\n"
              "2018/01/01 05:30:05     (CRC)Transfer error occurred.\r\n"
              "2016/02/29 00:00:00     (Erase)Time Out Error.\r\n"
              "2017/03/01 00:00:00     (Write)Time Out Error.\r\n");
}

}  // namespace
}  // namespace kt73b
