// The shipped demo program as a person starts it: its window found on the X display, keys
// pressed with xdotool, and its exit status once the window has closed.
#include "gui_fixture.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace kt73b::testing {
namespace {

constexpr auto kStartWait = 30s;
constexpr auto kExitWait = 30s;

// The scratch folder of GuiTest holds the programs' instance locks too.
class ProgramWindowTest : public GuiTest {
  protected:
    // The X window whose title matches `titlePattern`, waiting until it is mapped; "" if none.
    static std::string FindWindow(const std::string& titlePattern) {
        auto search = ChildProcess::Start(
            {"xdotool", "search", "--sync", "--onlyvisible", "--name", titlePattern});
        return search != nullptr ? search->ReadLine(kStartWait) : "";
    }
    // Presses `keys` with the pointer in `window`: without a window manager, focus follows it.
    static bool PressKeys(const std::string& window, const std::string& keys) {
        return RunTool({"xdotool", "mousemove", "--window", window, "8", "8", "key", keys}) == 0;
    }
    // A program started with its output kept in the scratch folder, for a failed check to show.
    std::unique_ptr<ChildProcess> Start(const std::string& program, const std::string& name) {
        return ChildProcess::Start({program}, scratch_.Path() + "/" + name);
    }
    std::string Output(const std::string& name) { return ReadFile(scratch_.Path() + "/" + name); }
};

TEST_F(ProgramWindowTest, Demo_EscapeDuringAnUpdateEndsTheProgramCleanly) {
    auto demo = Start(KT73B_UPDATER_DEMO_PROGRAM, "demo.out");
    ASSERT_NE(demo, nullptr);
    const std::string window = FindWindow(R"(^Velk KT-73B System v3\.00$)");
    ASSERT_FALSE(window.empty());
    // At the device's own pace a whole update takes about a minute: Escape comes well within it.
    EXPECT_TRUE(PressKeys(window, "Return"));
    EXPECT_FALSE(demo->WaitForExit(2s).has_value()) << "Return must not end the program";
    // The focused Execute went disabled: Escape must still reach the dialog.
    EXPECT_TRUE(PressKeys(window, "Escape"));
    EXPECT_EQ(demo->WaitForExit(kExitWait), 0) << Output("demo.out");
}

}  // namespace
}  // namespace kt73b::testing
