// The updater's dialog on the Win32 back end: a whole update through real windows, the about box
// and message boxes as nested loops in which the worker's control calls keep arriving, the
// keyboard while the focused button is disabled, the system menu and the icon. What the dialog
// decides is checked headless (tests/dialog); here, what the real windows can get wrong.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "app/model_byte.h"
#include "app/updater_dialog.h"
#include "emulator/fault_script_parser.h"
#include "emulator/image_check.h"
#include "emulator/loopback/loopback_emulator.h"
#include "engine/image_set.h"
#include "platform/ui/win32/minimised_icon.h"
#include "platform/ui/win32/win32_backend.h"
#include "resources/ui/resource_ids.h"
#include "tests/dialog/fast_timings.h"
#include "tests/windows/window_probe.h"

// After windows.h, which it needs.
#include <commctrl.h>

namespace kt73b::testing {
namespace {

// A whole update with a 2 ms tick and no link or device time takes a few seconds.
constexpr auto kUpdateWait = 120s;

// Runs the dialog in this process, on a thread of its own, against the emulated device on the
// in-process loopback (its MIDI through the layer put in winmm's import slots), with short
// pauses and tick. The test drives it as a user would, by posted input.
class Win32DialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!CanCreateWindows()) {
            GTEST_SKIP() << "Wine has no display here: run the tests under xvfb-run";
        }
        ASSERT_TRUE(ui::Win32Backend::InitCommonControls());
        ui::SetBackend(&backend_);
        SetModelByte(0x57);  // one per process: every test starts as a fresh process would
        SetHostIdentityFamily(0);
    }
    // Ends a dialog still open as Escape does, after any box a failed test left open.
    void TearDown() override {
        if (dialogThread_.joinable()) {
            if (HWND box = DialogOwnedBy(DialogThreadWindows(), main_)) {
                PostMessageA(box, WM_COMMAND, IDOK, 0);
            }
            if (!ended_) {
                PostMessageA(main_, WM_CLOSE, 0, 0);
            }
            dialogThread_.join();
            dialog_.reset();  // joins the worker
        }
        device_.reset();
        ui::SetBackend(nullptr);
    }

    // Starts the device with `faults`, then the dialog.
    void OpenDialog(const std::string& faults = "") {
        emu::EmulatorSettings settings = emu::InstantSettings();
        std::string error;
        ASSERT_TRUE(emu::ParseFaultScript(faults, settings.faults, error)) << error;
        device_ = std::make_unique<emu::LoopbackEmulator>(settings);
        dialog_ = std::make_unique<CTn8UpdatorDlg>(1, ShortPauses());
        dialogThread_ = std::thread([this] {
            dialogThreadId_ = GetCurrentThreadId();
            modalResult_ = dialog_->DoModal();
            ended_ = true;
        });
        ASSERT_TRUE(WaitUntil([this] {
            if (dialogThreadId_ == 0) {
                return false;  // the windows of thread 0 would be every thread's
            }
            main_ = DialogWithControl(DialogThreadWindows(), IDC_MIDI_IN_LIST);
            return main_ != nullptr && !TextOf(main_).empty();
        })) << "the main dialog did not show";
    }

    std::vector<HWND> DialogThreadWindows() const {
        return TopLevelWindows(GetCurrentProcessId(), dialogThreadId_);
    }
    // The about box or message box the main window owns, once it shows; null if none came.
    HWND WaitForOwnedDialog() const {
        HWND owned = nullptr;
        WaitUntil([&] { return (owned = DialogOwnedBy(DialogThreadWindows(), main_)) != nullptr; });
        return owned;
    }
    bool WaitUntilRestored() {
        return WaitUntil([this] {
            return IsEnabled(main_, IDC_RESCAN) && IsEnabled(main_, IDC_MIDI_IN_LIST) &&
                   IsEnabled(main_, IDC_MIDI_OUT_LIST);
        });
    }
    std::string Status() const { return TextOf(GetDlgItem(main_, IDC_STATUS_LINE)); }

    ui::Win32Backend backend_{GetModuleHandleA(nullptr)};
    std::unique_ptr<emu::LoopbackEmulator> device_;
    std::unique_ptr<CTn8UpdatorDlg> dialog_;
    HWND main_ = nullptr;
    // Written by the dialog's thread (its id as it starts, DoModal's result, then `ended_`),
    // read by the test's thread.
    std::atomic<DWORD> dialogThreadId_{0};
    std::atomic<int> modalResult_{0};
    std::atomic<bool> ended_{false};
    std::thread dialogThread_;
};

TEST_F(Win32DialogTest, Update_RunsToCompletionAndWritesTheImages) {
    OpenDialog();
    ClickButton(main_, IDOK);
    ASSERT_TRUE(WaitUntil([this] { return Status() == "Version update completed."; }, kUpdateWait))
        << Status();
    // The run restores the controls and then disables Execute: wait for both.
    ASSERT_TRUE(WaitUntilRestored());
    ASSERT_TRUE(WaitUntil([this] { return !IsEnabled(main_, IDOK); }));

    std::string difference;
    device_->WithEmulator([&](emu::Emulator& emulator) {
        difference = emu::CompareFlashWithImages(emulator.Device().Flash(), &LookupImage);
    });
    EXPECT_EQ(difference, "");
    // The whole range, past the 16 bits a progress bar holds unless it is set as 32-bit.
    EXPECT_EQ(SendMessageA(GetDlgItem(main_, IDC_PROGRESS), PBM_GETPOS, 0, 0), 720896);
}

// The system menu carries the about entry, the window icon 128; the about box opens from the menu
// while the update runs behind it.
TEST_F(Win32DialogTest, SystemMenu_CarriesTheIconAndTheAboutEntryWhichOpensWhileTheUpdateRuns) {
    OpenDialog();
    HMENU menu = GetSystemMenu(main_, FALSE);
    ASSERT_NE(menu, nullptr);
    const int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    EXPECT_EQ(GetMenuState(menu, static_cast<UINT>(count - 2), MF_BYPOSITION) & MF_SEPARATOR,
              static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
    char text[64] = {};
    GetMenuStringA(menu, static_cast<UINT>(count - 1), text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "About KT-73B Updater(&A)...");

    // The title bar's icons and the image dragged while minimised.
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(main_, WM_QUERYDRAGICON, 0, 0)), icon);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(main_, WM_GETICON, ICON_BIG, 0)), icon);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(main_, WM_GETICON, ICON_SMALL, 0)), icon);

    ClickButton(main_, IDOK);
    ASSERT_TRUE(WaitUntil([this] { return Status().starts_with("Data transmit"); }, kUpdateWait));

    PostMessageA(main_, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    HWND about = WaitForOwnedDialog();
    ASSERT_NE(about, nullptr);
    EXPECT_FALSE(IsWindowEnabled(main_));  // the owner takes no input meanwhile

    // The worker's calls reach the main window through the about box's own loop.
    const std::string before = Status();
    EXPECT_TRUE(WaitUntil([&] { return Status() != before; })) << before;

    PressKey(about, VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    EXPECT_TRUE(IsWindowEnabled(main_));
    EXPECT_FALSE(ended_);
}

TEST_F(Win32DialogTest, MessageBox_IsOwnedByTheDialogAndTheRunRestoresTheControlsAfterIt) {
    OpenDialog("identity=status:5");
    ClickButton(main_, IDOK);
    HWND box = WaitForOwnedDialog();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(TextOf(box), "Error");
    const MessageBoxContent content = ReadMessageBox(box);
    EXPECT_EQ(content.text, "Illegal device connected.");
    EXPECT_EQ(content.icon, LoadIconA(nullptr, IDI_ERROR));  // MB_ICONERROR
    EXPECT_FALSE(IsEnabled(main_, IDC_RESCAN));  // restored only once the box is dismissed

    PressKey(box, VK_RETURN);
    ASSERT_TRUE(WaitUntilRestored());
    EXPECT_TRUE(IsEnabled(main_, IDOK));
    EXPECT_FALSE(ended_);  // Return ended the box alone
}

TEST_F(Win32DialogTest, Keyboard_EscapeClosesTheDialogWhileTheFocusedButtonIsDisabled) {
    OpenDialog("update-mode=ignore");  // the run waits for update mode until the window goes
    // The focus is what is tested: the dialog must hold it first. Under Xvfb without a window
    // manager, the X focus may still be with a window that has just gone.
    ASSERT_TRUE(WaitUntil([this] {
        if (FocusedWindowOf(main_) != nullptr) {
            return true;
        }
        SetForegroundWindow(main_);
        return false;
    })) << "the dialog never became the active window";
    PressKey(main_, VK_RETURN);  // Enter presses Execute, the default button
    ASSERT_TRUE(WaitUntil([this] { return !IsEnabled(main_, IDOK); }));
    ASSERT_TRUE(WaitUntil([this] { return Status() == "Erasing Flash memory."; }));

    HWND focus = FocusedWindowOf(main_);
    ASSERT_NE(focus, nullptr) << "the keyboard focus went with the disabled button";
    EXPECT_TRUE(IsWindowEnabled(focus));
    PressKey(main_, VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([this] { return ended_.load(); }));
    EXPECT_EQ(modalResult_, IDCANCEL);
}

TEST(MinimisedIcon, IsCentredWithTheDivisionTruncatedTowardZero) {
    EXPECT_EQ(ui::CentredIconOrigin(100, 101, 32, 32).x, 34);
    EXPECT_EQ(ui::CentredIconOrigin(100, 101, 32, 32).y, 35);
    // A client area narrower than the icon: -11 / 2 is -5, not -6.
    EXPECT_EQ(ui::CentredIconOrigin(20, 20, 32, 32).x, -5);
}

}  // namespace
}  // namespace kt73b::testing
