// The dialog program's window on wxWidgets, driven for real through the X server (an X display
// and wxWidgets started once for the process, before the first test, on the main thread, which
// is then the GUI thread), in-process against the emulated device with no link or device time
// and short pauses, in a scratch folder that also holds the instance locks: the ports the
// demo build pre-selects, Return, Escape, the system menu, the about box and boxes.
// What the dialog decides is checked headless (tests/dialog); here, what the real windows can get
// wrong. Last, the shipped demo program as a person starts it: its window found on the X display,
// keys pressed with xdotool, and its exit status once the window has closed.
#include <wx/init.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/cli/child_process.h"
#include "app/instance_numbering.h"
#include "app/model_byte.h"
#include "app/updater_app.h"
#include "app/updater_dialog.h"
#include "emulator/image_check.h"
#include "emulator/loopback/loopback_emulator.h"
#include "engine/image_set.h"
#include "gui_driver.h"
#include "platform/ui/wx/message_box.h"
#include "resources/ui/resource_ids.h"
#include "tests/dialog/fast_timings.h"
#include "tests/support/temp_dir.h"

namespace kt73b::testing {
namespace {

// Empty when the GUI is up (started once, before the first test); otherwise why not.
std::string g_unavailable = "the GUI environment did not run";
constexpr auto kServerStartWait = std::chrono::seconds(20);

// A failed wx check is a failed test, not a dialog that waits for a click.
void FailOnAssert(const wxString& file, int line, const wxString&, const wxString& cond,
                  const wxString& message) {
    ADD_FAILURE_AT(file.utf8_str().data(), line)
        << "wx check failed: " << cond.utf8_str().data() << " " << message.utf8_str().data();
}

class GuiEnvironment final : public ::testing::Environment {
  public:
    void SetUp() override {
        if (!OpenDisplay()) {
            return;
        }
        setenv("NO_AT_BRIDGE", "1", 1);  // no accessibility bus to look for
        // For the dialog programs the tests start, when built with a sanitizer.
        setenv("LSAN_OPTIONS", "suppressions=" KT73B_LSAN_SUPPRESSIONS, 0);
        setenv("TSAN_OPTIONS", "suppressions=" KT73B_TSAN_SUPPRESSIONS, 0);
        wxApp::SetInstance(new wxApp);
        if (!wxEntryStart(argc_, args_) || !wxTheApp->CallOnInit()) {
            g_unavailable = "wxWidgets could not open the display";
            return;
        }
        wxSetAssertHandler(&FailOnAssert);
        started_ = true;
        g_unavailable.clear();
    }

    void TearDown() override {
        if (started_) {
            wxEntryCleanup();
        }
        xvfb_.reset();
    }

  private:
    // The display in DISPLAY, or else an Xvfb server of the tests' own, which the programs they
    // start reach through DISPLAY too.
    bool OpenDisplay() {
        if (const char* display = std::getenv("DISPLAY"); display != nullptr && *display != '\0') {
            return true;
        }
        const std::string xvfb = cli::FindOnPath("Xvfb");
        if (xvfb.empty()) {
            g_unavailable = "no DISPLAY and no Xvfb on PATH (scripts/install-deps installs xvfb)";
            return false;
        }
        // -displayfd 1: the server picks a free display and writes its number on standard output.
        xvfb_ = cli::ChildProcess::Start(
            {xvfb, "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        const std::string number = xvfb_ != nullptr ? xvfb_->ReadLine(kServerStartWait) : "";
        if (number.empty()) {
            g_unavailable = "Xvfb did not start";
            return false;
        }
        setenv("DISPLAY", (":" + number).c_str(), 1);
        return true;
    }

    char name_[16] = "kt73b-gui-tests";
    char* args_[2] = {name_, nullptr};
    int argc_ = 1;
    std::unique_ptr<cli::ChildProcess> xvfb_;  // null when the display was there already
    bool started_ = false;
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

class GuiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!g_unavailable.empty()) {
            GTEST_SKIP() << "no X display: " << g_unavailable;
        }
        SetModelByte(0x57);
        SetHostIdentityFamily(0);
        ui::SetBackend(&backend_);
    }
    void TearDown() override {
        ui::SetBackend(nullptr);
        device_.reset();
    }

    // The emulated device, started in its update mode or as a normal start leaves it, writing
    // each chunk in `writeTime` (none by default).
    void StartDevice(bool updateMode = true, emu::Micros writeTime = emu::Micros{0}) {
        emu::EmulatorSettings settings = emu::InstantSettings();
        settings.device.updateMode = updateMode;
        settings.device.writeTime = writeTime;
        device_ = std::make_unique<emu::LoopbackEmulator>(settings);
    }
    // Runs the application object to its end, with `script` acting meanwhile.
    void RunUpdater(const std::function<void()>& script) {
        driver_.Run([] { CTn8UpdatorApp("kt73b-updater-demo", ShortPauses()).InitInstance(); },
                    script);
    }
    // Runs the main dialog alone (instance 1); what its DoModal returned.
    int RunDialog(const std::function<void()>& script) {
        int result = 0;
        driver_.Run([&] { result = CTn8UpdatorDlg(1, ShortPauses()).DoModal(); }, script);
        return result;
    }

    // Script side, on the main dialog.
    std::string Text(int id) {
        return driver_.Read<std::string>([&] {
            const ui::WxDialogWindow* window = driver_.Window(IDD_UPDATER_DIALOG);
            return window != nullptr ? window->ControlText(id) : std::string("(no window)");
        });
    }
    bool Enabled(int id) {
        return driver_.Read<bool>([&] {
            const ui::WxDialogWindow* window = driver_.Window(IDD_UPDATER_DIALOG);
            return window != nullptr && window->IsControlEnabled(id);
        });
    }
    std::uint32_t Requests(emu::RequestKind kind) {  // of that kind, the device received
        std::uint32_t count = 0;
        device_->WithEmulator(
            [&](emu::Emulator& emulator) { count = emulator.RequestCount(kind); });
        return count;
    }

    ui::WxBackend backend_;
    GuiDriver driver_{backend_};
    std::unique_ptr<emu::LoopbackEmulator> device_;
    const ScratchFolder scratch_;
};

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
