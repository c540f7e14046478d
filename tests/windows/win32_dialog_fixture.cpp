#include "tests/windows/win32_dialog_fixture.h"

#include "app/model_byte.h"
#include "emulator/fault_script_parser.h"

namespace kt73b::testing {

namespace {

UpdateTimings FastTimings() {
    UpdateTimings timings;
    timings.retryPause = 2ms;
    timings.updateModePause = 2ms;
    timings.tickPeriodMs = 2;
    return timings;
}

}  // namespace

Win32DialogTest::Win32DialogTest() : backend_(GetModuleHandleA(nullptr)) {}

void Win32DialogTest::SetUp() {
    if (!CanCreateWindows())
        GTEST_SKIP() << "Wine has no display here: run the tests under xvfb-run";
    ASSERT_TRUE(ui::Win32Backend::InitCommonControls());
    ui::SetBackend(&backend_);
    SetModelByte(0x57);  // one per process: every test starts as a fresh process would
    SetHostIdentityFamily(0);
}

// Ends a dialog still open as Escape does, after any box a failed test left open.
void Win32DialogTest::TearDown() {
    if (dialogThread_.joinable()) {
        if (HWND box = DialogOwnedBy(DialogThreadWindows(), main_))
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        if (!ended_)
            PostMessageA(main_, WM_CLOSE, 0, 0);
        dialogThread_.join();
        dialog_.reset();  // joins the worker
    }
    device_.reset();
    ui::SetBackend(nullptr);
}

void Win32DialogTest::StartDevice(const std::string& faults) {
    emu::EmulatorSettings settings = emu::InstantSettings();
    std::string error;
    ASSERT_TRUE(emu::ParseFaultScript(faults, settings.faults, error)) << error;
    device_ = std::make_unique<emu::LoopbackEmulator>(settings);
}

void Win32DialogTest::OpenDialog() {
    dialog_ = std::make_unique<CTn8UpdatorDlg>(1, FastTimings());
    dialogThread_ = std::thread([this] {
        dialogThreadId_ = GetCurrentThreadId();
        modalResult_ = dialog_->DoModal();
        ended_ = true;
    });
    ASSERT_TRUE(WaitUntil([this] {
        if (dialogThreadId_ == 0)
            return false;  // the windows of thread 0 would be every thread's
        main_ = DialogWithControl(DialogThreadWindows(), IDC_MIDI_IN_LIST);
        return main_ != nullptr && !TextOf(main_).empty();
    })) << "the main dialog did not show";
}

std::vector<HWND> Win32DialogTest::DialogThreadWindows() const {
    return TopLevelWindows(GetCurrentProcessId(), dialogThreadId_);
}

HWND Win32DialogTest::WaitForOwnedDialog() const {
    HWND owned = nullptr;
    WaitUntil([&] {
        owned = DialogOwnedBy(DialogThreadWindows(), main_);
        return owned != nullptr;
    });
    return owned;
}

bool Win32DialogTest::WaitUntilRestored() {
    return WaitUntil([this] {
        return IsEnabled(main_, IDC_RESCAN) && IsEnabled(main_, IDC_MIDI_IN_LIST) &&
               IsEnabled(main_, IDC_MIDI_OUT_LIST);
    });
}

}  // namespace kt73b::testing
