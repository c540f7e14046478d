// Runs the updater's dialog on the Win32 back end in this process, on a thread of its own,
// against the emulated device on the in-process loopback, with short pauses and tick. The test
// drives it as a user would, by posted input.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "app/updater_dialog.h"
#include "emulator/loopback/loopback_emulator.h"
#include "platform/ui/win32/win32_backend.h"
#include "resources/ui/resource_ids.h"
#include "tests/windows/window_probe.h"

namespace kt73b::testing {

// A whole update with a 2 ms tick and no link or device time takes a few seconds.
inline constexpr auto kUpdateWait = 120s;

class Win32DialogTest : public ::testing::Test {
  protected:
    Win32DialogTest();
    void SetUp() override;
    void TearDown() override;

    void StartDevice(const std::string& faults = "");
    void OpenDialog();

    std::vector<HWND> DialogThreadWindows() const;
    // The about box or message box the main window owns, once it shows; null if none came.
    HWND WaitForOwnedDialog() const;
    bool WaitUntilRestored();
    std::string Status() const { return TextOf(GetDlgItem(main_, IDC_STATUS_LINE)); }

    ui::Win32Backend backend_;
    std::unique_ptr<emu::LoopbackEmulator> device_;
    std::unique_ptr<CTn8UpdatorDlg> dialog_;
    HWND main_ = nullptr;
    // Written by the dialog's thread (its id as it starts, DoModal's result, then `ended_`),
    // read by the test's thread.
    std::atomic<int> modalResult_{0};
    std::atomic<bool> ended_{false};

  private:
    std::thread dialogThread_;
    std::atomic<DWORD> dialogThreadId_{0};
};

}  // namespace kt73b::testing
