// Updater.exe itself under Wine, driven through its windows from this process: instance numbers
// held by real named mutexes, the refusal of a twenty-first copy, Execute without any MIDI
// device (Wine offers none here) with and without the log file, and Escape.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>

#include "resources/ui/resource_ids.h"
#include "tests/windows/updater_process.h"

namespace kt73b::testing {
namespace {

namespace fs = std::filesystem;

const std::string kTitle = "Velk KT-73B System v3.00";

std::string InstanceTitle(int number) {
    return number == 1 ? kTitle : kTitle + " (" + std::to_string(number) + ")";
}

class UpdaterExeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!CanCreateWindows())
            GTEST_SKIP() << "Wine has no display here: run the tests under xvfb-run";
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() / ("kt73b-updater-" + std::string(test->name()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override {
        copies_.clear();
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    // A path of the build machine: Wine maps it onto the drive of the current folder.
    UpdaterProcess& Start() {
        copies_.push_back(std::make_unique<UpdaterProcess>(KT73B_UPDATER_EXE, folder_.string()));
        EXPECT_TRUE(copies_.back()->Started()) << "error " << GetLastError();
        return *copies_.back();
    }

    // Starts a copy and returns its main window's title.
    std::string StartAndReadTitle() {
        HWND main = Start().WaitForMainWindow();
        return main != nullptr ? TextOf(main) : "(no window)";
    }

    static bool EndWithEscape(const UpdaterProcess& copy) {
        HWND main = copy.WaitForMainWindow();
        if (main == nullptr)
            return false;
        PressKey(main, VK_ESCAPE);
        return copy.WaitForExit() == 0u;
    }

    std::string LogContents() const {
        std::ifstream in(folder_ / "TEST_LOG.txt", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path folder_;
    std::vector<std::unique_ptr<UpdaterProcess>> copies_;
};

TEST_F(UpdaterExeTest, Start_EachCopyTakesTheLowestFreeInstanceNumber) {
    EXPECT_EQ(StartAndReadTitle(), InstanceTitle(1));
    EXPECT_EQ(StartAndReadTitle(), InstanceTitle(2));
    EXPECT_EQ(StartAndReadTitle(), InstanceTitle(3));

    ASSERT_TRUE(EndWithEscape(*copies_[0]));
    EXPECT_EQ(StartAndReadTitle(), InstanceTitle(1));  // copies 2 and 3 still run
}

TEST_F(UpdaterExeTest, Start_SkipsANumberThatAnotherProcessHolds) {
    const HeldMutex taken(InstanceTitle(2));
    ASSERT_TRUE(taken.Held());
    EXPECT_EQ(StartAndReadTitle(), InstanceTitle(1));
    EXPECT_EQ(StartAndReadTitle(), InstanceTitle(3));
}

TEST_F(UpdaterExeTest, Start_TheTwentyFirstCopyShowsTheLimitAndEnds) {
    for (int number = 1; number <= 20; ++number)
        ASSERT_EQ(StartAndReadTitle(), InstanceTitle(number));

    const UpdaterProcess& refused = Start();
    HWND box = nullptr;
    ASSERT_TRUE(
        WaitUntil([&] { return (box = DialogOwnedBy(refused.Windows(), nullptr)) != nullptr; }));
    EXPECT_EQ(TextOf(box), "Updater");  // the executable's name is the caption
    EXPECT_EQ(MessageBoxText(box),
              "It is forbidden to launch more than 20 instance of this application.");
    EXPECT_EQ(MessageBoxIcon(box), nullptr);
    EXPECT_EQ(DialogWithControl(refused.Windows(), IDC_MIDI_IN_LIST), nullptr);

    PressKey(box, VK_RETURN);
    EXPECT_EQ(refused.WaitForExit(), 0u);
    EXPECT_EQ(DialogWithControl(refused.Windows(), IDC_MIDI_IN_LIST), nullptr);
}

TEST_F(UpdaterExeTest, Execute_WithoutMidiDevicesReportsTheOutputPortAndLogsOneLine) {
    std::ofstream(folder_ / "TEST_LOG.txt").flush();
    const UpdaterProcess& copy = Start();
    HWND main = copy.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(SendMessageA(GetDlgItem(main, IDC_MIDI_OUT_LIST), CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageA(GetDlgItem(main, IDC_MIDI_IN_LIST), CB_GETCOUNT, 0, 0), 0);

    ClickButton(main, IDOK);
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = DialogOwnedBy(copy.Windows(), main)) != nullptr; }));
    EXPECT_EQ(TextOf(box), "Error");
    EXPECT_EQ(MessageBoxText(box), "Can't open MIDI Out device.");
    EXPECT_NE(MessageBoxIcon(box), nullptr);
    EXPECT_TRUE(std::regex_match(
        LogContents(), std::regex(R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d {5}Midi out error\.\r\n)")))
        << LogContents();

    PressKey(box, VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    for (int id : {IDC_MIDI_IN_LIST, IDC_MIDI_OUT_LIST, IDOK, IDC_RESCAN})
        EXPECT_TRUE(IsEnabled(main, id)) << "control " << id;
    EXPECT_TRUE(EndWithEscape(copy));
}

TEST_F(UpdaterExeTest, Execute_WithoutTheLogFileWritesNoLog) {
    const UpdaterProcess& copy = Start();
    HWND main = copy.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    ClickButton(main, IDOK);
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = DialogOwnedBy(copy.Windows(), main)) != nullptr; }));
    PressKey(box, VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    EXPECT_TRUE(EndWithEscape(copy));
    EXPECT_FALSE(fs::exists(folder_ / "TEST_LOG.txt"));
}

}  // namespace
}  // namespace kt73b::testing
