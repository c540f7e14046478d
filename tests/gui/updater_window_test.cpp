// The dialog program's window on wxWidgets, driven for real through the X server: the ports the
// demo build pre-selects, Return, Escape, the system menu, the about box and boxes.
// What the dialog decides is checked headless (tests/dialog); here, what the real windows can get
// wrong. Last, the shipped demo program as a person starts it: its window found on the X display,
// keys pressed with xdotool, and its exit status once the window has closed.
#include <array>
#include <filesystem>

#include "app/cli/child_process.h"
#include "app/instance_numbering.h"
#include "emulator/image_check.h"
#include "engine/image_set.h"
#include "gui_fixture.h"
#include "platform/ui/wx/message_box.h"
#include "resources/ui/resource_ids.h"

namespace kt73b::testing {
namespace {

// The one whole update on this back end, started and pressed on with the keyboard as a person
// would: the demo build pre-selects the emulated device (else Execute could not open it), Return
// presses Execute, and Return while Execute is disabled (during the run and after it) presses
// nothing.
TEST_F(GuiTest, Return_RunsOneWholeUpdateAndNothingWhileExecuteIsDisabled) {
    StartDevice();
    RunUpdater([&] {
        ASSERT_TRUE(driver_.WaitForWindow(IDD_UPDATER_DIALOG));
        driver_.PressKeys("Return");
        ASSERT_TRUE(WaitUntil([&] { return Text(IDC_STATUS_LINE).starts_with("Data"); }));
        driver_.PressKeys("Return");
        ASSERT_TRUE(WaitUntil([&] { return Text(IDC_STATUS_LINE) == "Version update completed."; },
                              kGuiUpdateWait))
            << Text(IDC_STATUS_LINE);
        // The run restores the controls and then disables Execute: wait for both.
        ASSERT_TRUE(WaitUntil([&] { return Enabled(IDC_RESCAN); }));
        EXPECT_TRUE(WaitUntil([&] { return !Enabled(ui::kIdOk); }));
        device_->WithEmulator([](emu::Emulator& emulator) {
            EXPECT_EQ(emu::CompareFlashWithImages(emulator.Device().Flash(), &LookupImage), "");
        });
        std::filesystem::create_directories(KT73B_GUI_ARTEFACT_DIR);  // kept after the run
        EXPECT_TRUE(driver_.SaveScreenshot(KT73B_GUI_ARTEFACT_DIR "/dialog-after-update.png"));

        driver_.PressKeys("Return");
        EXPECT_FALSE(WaitUntil([&] { return driver_.IsBoxOpen(); }, 1s));
        EXPECT_EQ(Requests(emu::RequestKind::kIdentity), 1u);  // no second run, in or after
        driver_.PressKeys("Escape");
    });
}

TEST_F(GuiTest, UpdateFailure_ShowsAnErrorBoxOwnedByTheDialog) {
    StartDevice(/*updateMode=*/false);
    RunUpdater([&] {
        ASSERT_TRUE(driver_.WaitForWindow(IDD_UPDATER_DIALOG));
        driver_.PressKeys("Return");
        ASSERT_TRUE(WaitUntil([&] { return driver_.IsBoxOpen(); }));
        driver_.OnGui([&] {
            const wxGenericMessageDialog* box = backend_.OpenMessageBox();
            EXPECT_EQ(box->GetTitle(), "Error");
            EXPECT_TRUE(box->GetMessageDialogStyle() & wxICON_ERROR);
            EXPECT_EQ(box->GetParent(), driver_.Window(IDD_UPDATER_DIALOG));
        });
        // The worker waits in its box until a person dismisses it; then the controls return.
        EXPECT_FALSE(Enabled(IDC_RESCAN));
        driver_.PressKeys("Return");
        EXPECT_TRUE(WaitUntil([&] { return !driver_.IsBoxOpen(); }));
        EXPECT_TRUE(WaitUntil([&] { return Enabled(ui::kIdOk) && Enabled(IDC_RESCAN); }));
        driver_.PressKeys("Escape");
    });
}

TEST_F(GuiTest, AltA_OpensTheAboutBoxDuringAnUpdateAndTheCloseBoxEndsBoth) {
    StartDevice(true, std::chrono::milliseconds(10));  // about twenty seconds of writing
    const int result = RunDialog([&] {
        ASSERT_TRUE(driver_.WaitForWindow(IDD_UPDATER_DIALOG));
        driver_.PressKeys("Return");
        ASSERT_TRUE(WaitUntil([&] { return Text(IDC_STATUS_LINE).starts_with("Data"); }));
        driver_.PressKeys("alt+a");
        ASSERT_TRUE(driver_.WaitForWindow(IDD_ABOUTBOX));
        // The worker's calls reach the main window through the about box's own loop.
        const std::string before = Text(IDC_STATUS_LINE);
        EXPECT_TRUE(WaitUntil([&] { return Text(IDC_STATUS_LINE) != before; }));
        driver_.PressKeys("Escape");
        EXPECT_TRUE(driver_.WaitUntilClosed(IDD_ABOUTBOX));
        ASSERT_TRUE(driver_.IsOpen(IDD_UPDATER_DIALOG));
        // What the window manager's close box sends; Xvfb has no window manager to click.
        driver_.OnGui([&] { driver_.Window(IDD_UPDATER_DIALOG)->Close(); });
        EXPECT_TRUE(driver_.WaitUntilClosed(IDD_UPDATER_DIALOG));
    });
    EXPECT_EQ(result, ui::kIdCancel);  // through the dialog's own IDCANCEL, as Exit and Escape
    EXPECT_EQ(Requests(emu::RequestKind::kFinish), 0u);
}

// The about entry's place in the system menu is what the keys rely on: Down reaches it from the
// top, and Return presses the about box's default button, OK.
TEST_F(GuiTest, SystemMenu_OpensTheAboutBoxAndReturnClosesIt) {
    RunUpdater([&] {
        ASSERT_TRUE(driver_.WaitForWindow(IDD_UPDATER_DIALOG));
        driver_.RightClick();
        driver_.PressKeys("Down Return");
        ASSERT_TRUE(driver_.WaitForWindow(IDD_ABOUTBOX));
        driver_.PressKeys("Return");
        EXPECT_TRUE(driver_.WaitUntilClosed(IDD_ABOUTBOX));
        driver_.PressKeys("Escape");
    });
}

TEST_F(GuiTest, TwentyFirstCopy_IsRefusedInABoxOfItsOwn) {
    std::array<os::InstanceLock, kMaxInstances> others;
    for (os::InstanceLock& lock : others) {
        ASSERT_NE(ClaimInstanceNumber(lock), 0);
    }
    RunUpdater([&] {
        ASSERT_TRUE(WaitUntil([&] { return driver_.IsBoxOpen(); }));
        driver_.OnGui([&] {
            const wxGenericMessageDialog* box = backend_.OpenMessageBox();
            EXPECT_EQ(box->GetMessage(), InstanceLimitMessage());
            EXPECT_EQ(box->GetTitle(), "kt73b-updater-demo");          // the application's name
            EXPECT_EQ(box->GetMessageDialogStyle() & wxICON_MASK, 0);  // no icon
            EXPECT_EQ(box->GetParent(), nullptr);
            EXPECT_EQ(driver_.Window(IDD_UPDATER_DIALOG), nullptr);
        });
        driver_.PressKeys("Return");
        EXPECT_TRUE(WaitUntil([&] { return !driver_.IsBoxOpen(); }));
    });
}

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
