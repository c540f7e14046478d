// The shipped demo program as a person starts it: its window found on the X display, keys
// pressed with xdotool, and its exit status once the window has closed.
#include "app/cli/child_process.h"
#include "gui_fixture.h"
#include "tests/support/temp_dir.h"

namespace kt73b::testing {
namespace {

constexpr auto kProgramWait = 30s;  // to show its window, and to end after Escape

// Presses `keys` with the pointer in `window`: without a window manager, focus follows it.
bool PressKeys(const std::string& window, const std::string& keys) {
    return RunTool({"xdotool", "mousemove", "--window", window, "8", "8", "key", keys}) == 0;
}

// GuiTest's scratch folder holds the program's instance locks and its output.
TEST_F(GuiTest, DemoProgram_EscapeDuringAnUpdateEndsItCleanly) {
    const std::string output = scratch_.Path() + "/demo.out";
    auto demo = cli::ChildProcess::Start({KT73B_UPDATER_DEMO_PROGRAM}, output);
    ASSERT_NE(demo, nullptr);
    auto search = cli::ChildProcess::Start({"xdotool", "search", "--sync", "--onlyvisible",
                                            "--name", R"(^Velk KT-73B System v3\.00$)"});
    ASSERT_NE(search, nullptr);
    const std::string window = search->ReadLine(kProgramWait);
    ASSERT_FALSE(window.empty());
    // At the device's own pace a whole update takes about a minute: Escape comes well within it.
    EXPECT_TRUE(PressKeys(window, "Return"));
    EXPECT_FALSE(demo->WaitForExit(2s).has_value()) << "Return must not end the program";
    // The focused Execute went disabled: Escape must still reach the dialog.
    EXPECT_TRUE(PressKeys(window, "Escape"));
    EXPECT_EQ(demo->WaitForExit(kProgramWait), 0) << ReadFile(output);
}

}  // namespace
}  // namespace kt73b::testing
