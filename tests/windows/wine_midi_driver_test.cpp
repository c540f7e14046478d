// The Windows programs through Wine's own MIDI driver, which lists the kernel sequencer's ports
// inside the User-Mode Linux guest: CTest starts this program there (wine_midi_guest.sh), with
// kt73b-emulator --once serving its ALSA port. Every program must end with its own status.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <vector>

#include "resources/ui/resource_ids.h"
#include "tests/windows/program_process.h"

namespace kt73b::testing {
namespace {

// Wine names a sequencer port "client - port"; the device's own name does not match it, so the
// ports are chosen by position.
constexpr char kEmulatorPort[] = "VELK KT Series - VELK KT Series";

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The emulator's position in one section ("MIDI IN" or "MIDI OUT") of kt73b-update --list.
std::optional<int> PositionIn(const std::string& list, const std::string& section) {
    std::istringstream lines(list);
    std::string line;
    bool inSection = false;
    while (std::getline(lines, line)) {
        if (line.rfind("MIDI ", 0) == 0) {
            inSection = line.rfind(section, 0) == 0;
        } else if (inSection && Has(line, kEmulatorPort)) {
            return std::atoi(line.c_str());
        }
    }
    return std::nullopt;
}

// A list's items, each read as the selected text: CB_GETLBTEXT sent from another process crashed
// the sender under Wine 8.0 here; WM_GETTEXT is carried across safely.
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

class WineMidiDriverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (std::getenv("KT73B_WINE_MIDI_GUEST") == nullptr) {
            GTEST_SKIP() << "Wine's MIDI driver has no devices here: CTest runs these in the "
                            "User-Mode Linux guest";
        }
    }

    // The run's status and output; the status is empty when it did not end in time.
    static std::pair<std::optional<DWORD>, std::string> RunUpdate(
        const std::string& arguments, std::chrono::milliseconds limit = kWindowWait) {
        ProgramProcess program(KT73B_UPDATE_EXE, arguments);
        const auto status = program.WaitForExit(limit);
        return {status, program.Output()};
    }
};

TEST_F(WineMidiDriverTest, List_ShowsTheEmulatorsPortsAndEndsWithZero) {
    const auto [status, output] = RunUpdate("--list");
    EXPECT_EQ(status, 0u) << output;
    EXPECT_TRUE(PositionIn(output, "MIDI IN").has_value()) << output;
    EXPECT_TRUE(PositionIn(output, "MIDI OUT").has_value()) << output;
}

TEST_F(WineMidiDriverTest, RefusedPort_EndsWithThree) {
    const auto [status, output] = RunUpdate("--in 99 --out 0");
    EXPECT_EQ(status, 3u) << output;
}

TEST_F(WineMidiDriverTest, Dialog_FillsItsListsFromTheDriverAndClosesWithEscape) {
    ProgramProcess copy(KT73B_UPDATER_EXE, "");
    HWND main = copy.WaitForMainWindow();
    ASSERT_NE(main, nullptr) << copy.Output();
    for (int list : {IDC_MIDI_IN_LIST, IDC_MIDI_OUT_LIST}) {
        const auto items = ListItems(main, list);
        EXPECT_NE(std::find(items.begin(), items.end(), kEmulatorPort), items.end())
            << "list " << list << ": " << ::testing::PrintToString(items);
    }
    PressKey(main, VK_ESCAPE);
    EXPECT_EQ(copy.WaitForExit(), 0u);
}

// Last: the emulator ends after one update; the script compares its flash with the images.
TEST_F(WineMidiDriverTest, Update_ThroughTheDriverCompletes) {
    const std::string list = RunUpdate("--list").second;
    const auto in = PositionIn(list, "MIDI IN");
    const auto out = PositionIn(list, "MIDI OUT");
    ASSERT_TRUE(in && out) << list;
    // About 95 s in the guest, where every system call is slow.
    const auto [status, output] =
        RunUpdate("--in " + std::to_string(*in) + " --out " + std::to_string(*out) +
                      " --firmware \"" KT73B_IMAGE_DIR "\"",
                  400s);
    EXPECT_EQ(status, 0u) << output;
    EXPECT_TRUE(Has(output, "Version update completed.")) << output;
}

}  // namespace
}  // namespace kt73b::testing
