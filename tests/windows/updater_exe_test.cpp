// Updater.exe itself under Wine, driven through its windows from this process: instance numbers
// held by real named mutexes, the refusal of a twenty-first copy, Execute without any MIDI
// device (Wine offers none here) and its log line, and Escape; and, inside the User-Mode Linux
// guest (wine_midi_guest.sh), the lists that Wine's own MIDI driver fills.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <regex>

#include "resources/ui/resource_ids.h"
#include "tests/windows/window_probe.h"

namespace kt73b::testing {
namespace {

namespace fs = std::filesystem;

// A copy of Updater.exe started in a folder of the test's, as a user starts it; ended by force if
// the test leaves it running.
class ProgramProcess {
  public:
    // `program` is a path of the build machine: Wine maps it onto the drive of the current folder.
    ProgramProcess(const std::string& program, const fs::path& folder) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION created{};
        std::string commandLine = "\"" + program + "\"";
        if (CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           folder.string().c_str(), &startup, &created)) {
            CloseHandle(created.hThread);
            process_ = created.hProcess;
            processId_ = created.dwProcessId;
        }
    }
    ~ProgramProcess() {
        if (process_ != nullptr && !WaitForExit(0ms)) {
            TerminateProcess(process_, 1);
            WaitForSingleObject(process_, INFINITE);
        }
        if (process_ != nullptr) {
            CloseHandle(process_);
        }
    }
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    bool Started() const { return process_ != nullptr; }
    std::vector<HWND> Windows() const { return TopLevelWindows(processId_); }
    // The main dialog once it shows with its title set; null if it did not come.
    HWND WaitForMainWindow() const {
        HWND main = nullptr;
        WaitUntil(
            [&] {
                main = DialogWithControl(Windows(), IDC_MIDI_IN_LIST);
                return main != nullptr && !TextOf(main).empty();
            },
            kWindowWait);
        return main;
    }
    // The exit code once the process has ended, or nothing if it still runs after the wait.
    std::optional<DWORD> WaitForExit(std::chrono::milliseconds timeout = kWindowWait) const {
        DWORD code = 0;
        if (process_ == nullptr ||
            WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0 ||
            !GetExitCodeProcess(process_, &code)) {
            return std::nullopt;
        }
        return code;
    }

  private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
};

std::string InstanceTitle(int number) {
    const std::string title = "Velk KT-73B System v3.00";
    return number == 1 ? title : title + " (" + std::to_string(number) + ")";
}

// A list's items, each read as the selected text: CB_GETLBTEXT sent from another process crashed
// the sender under Wine 8.0; WM_GETTEXT is carried across safely.
std::vector<std::string> ListItems(HWND dialog, int id) {
    HWND list = GetDlgItem(dialog, id);
    std::vector<std::string> items;
    const LRESULT count = SendMessageA(list, CB_GETCOUNT, 0, 0);
    for (LRESULT item = 0; item < count; ++item) {
        SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
        items.push_back(TextOf(list));
    }
    return items;
}

class UpdaterExeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!CanCreateWindows()) {
            GTEST_SKIP() << "Wine has no display here: run the tests under xvfb-run";
        }
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

    ProgramProcess& Start() {
        copies_.push_back(std::make_unique<ProgramProcess>(KT73B_UPDATER_EXE, folder_));
        EXPECT_TRUE(copies_.back()->Started()) << "error " << GetLastError();
        return *copies_.back();
    }

    // Starts a copy and returns its main window's title.
    std::string StartAndReadTitle() {
        HWND main = Start().WaitForMainWindow();
        return main != nullptr ? TextOf(main) : "(no window)";
    }

    static bool EndWithEscape(const ProgramProcess& copy) {
        HWND main = copy.WaitForMainWindow();
        if (main == nullptr) {
            return false;
        }
        PressKey(main, VK_ESCAPE);
        return copy.WaitForExit() == 0u;
    }

    fs::path folder_;
    std::vector<std::unique_ptr<ProgramProcess>> copies_;
};

TEST_F(UpdaterExeTest, Start_TakesTheLowestFreeNumberAndRefusesTheTwentyFirstCopy) {
    // Number 2 is held by another process, as a copy started elsewhere holds it.
    const std::unique_ptr<void, decltype(&CloseHandle)> held(
        CreateMutexA(nullptr, TRUE, InstanceTitle(2).c_str()), &CloseHandle);
    ASSERT_NE(held.get(), nullptr);
    for (int number = 1; number <= 20; ++number) {
        if (number != 2) {
            ASSERT_EQ(StartAndReadTitle(), InstanceTitle(number));
        }
    }
    ASSERT_TRUE(EndWithEscape(*copies_[0]));
    EXPECT_EQ(StartAndReadTitle(), InstanceTitle(1));  // the others still run

    const ProgramProcess& refused = Start();
    HWND box = nullptr;
    ASSERT_TRUE(
        WaitUntil([&] { return (box = DialogOwnedBy(refused.Windows(), nullptr)) != nullptr; }));
    EXPECT_EQ(TextOf(box), "Updater");  // the executable's name is the caption
    const MessageBoxContent content = ReadMessageBox(box);
    EXPECT_EQ(content.text, "It is forbidden to launch more than 20 instance of this application.");
    EXPECT_EQ(content.icon, nullptr);
    EXPECT_EQ(DialogWithControl(refused.Windows(), IDC_MIDI_IN_LIST), nullptr);
    PressKey(box, VK_RETURN);
    EXPECT_EQ(refused.WaitForExit(), 0u);
}

TEST_F(UpdaterExeTest, Execute_WithoutMidiDevicesReportsTheOutputPortAndLogsOneLine) {
    std::ofstream(folder_ / "TEST_LOG.txt").flush();
    const ProgramProcess& copy = Start();
    HWND main = copy.WaitForMainWindow();
    ASSERT_NE(main, nullptr);

    ClickButton(main, IDOK);
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = DialogOwnedBy(copy.Windows(), main)) != nullptr; }));
    EXPECT_EQ(TextOf(box), "Error");
    EXPECT_EQ(ReadMessageBox(box).text, "Can't open MIDI Out device.");
    std::ifstream log(folder_ / "TEST_LOG.txt", std::ios::binary);
    const std::string lines{std::istreambuf_iterator<char>(log), {}};
    EXPECT_TRUE(std::regex_match(
        lines, std::regex(R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d {5}Midi out error\.\r\n)")))
        << lines;

    PressKey(box, VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    EXPECT_TRUE(EndWithEscape(copy));
}

// In the guest, Wine's driver lists the kernel sequencer's ports and kt73b-emulator's, whose name
// Wine makes "client - port"; the copy must still end with its own status.
TEST_F(UpdaterExeTest, WineMidiDriver_FillsBothListsAndTheCopyEndsWithItsOwnStatus) {
    if (std::getenv("KT73B_WINE_MIDI_GUEST") == nullptr) {
        GTEST_SKIP() << "Wine's MIDI driver has no devices here: CTest runs this in the guest";
    }
    HWND main = Start().WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    for (int list : {IDC_MIDI_IN_LIST, IDC_MIDI_OUT_LIST}) {
        const auto items = ListItems(main, list);
        EXPECT_NE(std::find(items.begin(), items.end(), "VELK KT Series - VELK KT Series"),
                  items.end())
            << ::testing::PrintToString(items);
    }
    EXPECT_TRUE(EndWithEscape(*copies_.back()));
}

}  // namespace
}  // namespace kt73b::testing
