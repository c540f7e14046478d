// Runs the updater's dialog headless against the emulated device through the in-process
// loopback, with shortened time-outs, in a scratch current directory with a fixed log clock.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/append_log.h"
#include "app/updater_dialog.h"
#include "emulator/loopback/loopback_emulator.h"
#include "fast_timings.h"
#include "platform/ui/headless/headless_backend.h"
#include "resources/ui/resource_ids.h"
#include "tests/support/temp_dir.h"

namespace kt73b::testing {

using namespace std::chrono_literals;

// Generous bounds for real-time waits on other threads; never a measure of speed.
inline constexpr auto kShortWait = 10s;
inline constexpr auto kUpdateWait = 240s;

class DialogTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The emulated device, with no link or device time, and the given fault script.
    void StartDevice(const std::string& faults = "",
                     const std::string& name = emu::kLoopbackDeviceName);
    void OpenDialog(int instanceNumber = 1, UpdateTimings timings = FastTimings()) {
        OpenDialog(std::make_unique<CTn8UpdatorDlg>(instanceNumber, timings));
    }
    void OpenDialog(std::unique_ptr<CTn8UpdatorDlg> dialog);
    void CloseDialog();
    void Execute() { backend_.Click(IDD_UPDATER_DIALOG, ui::kIdOk); }

    ui::HeadlessControl Control(int id) const {
        return backend_.ControlState(IDD_UPDATER_DIALOG, id).value_or(ui::HeadlessControl{});
    }
    std::string Status() const { return Control(IDC_STATUS_LINE).text; }
    // Waits until the status line has shown `text`, now or before: each answer moves the run on
    // at once, so a text that lasts one chunk may be gone before this thread looks.
    bool WaitForStatus(const std::string& text, std::chrono::milliseconds timeout = kShortWait);
    // Waits until the run has restored the controls (Rescan enabled again after Execute).
    bool WaitUntilRestored(std::chrono::milliseconds timeout = kShortWait);
    bool WaitForBoxes(std::size_t count, std::chrono::milliseconds timeout = kShortWait) {
        return backend_.WaitUntil(
            [count](const ui::HeadlessBackend& b) { return b.BoxesLocked().size() >= count; },
            timeout);
    }
    std::vector<std::string> BoxTexts() const;
    void CreateLogFile() const { std::ofstream(kLogFileName).flush(); }
    std::vector<std::string> LogTexts() const;  // the texts of the log's lines, in order
    std::uint32_t RequestCount(emu::RequestKind kind) {
        std::uint32_t count = 0;
        device_->WithEmulator(
            [&](emu::Emulator& emulator) { count = emulator.RequestCount(kind); });
        return count;
    }
    // Until the device has received `count` requests of `kind`, bounded.
    bool WaitForRequests(emu::RequestKind kind, std::uint32_t count);
    std::string FlashVersusImages();

    ui::HeadlessBackend backend_;
    std::unique_ptr<emu::LoopbackEmulator> device_;
    std::unique_ptr<CTn8UpdatorDlg> dialog_;
    std::thread dialogThread_;
    const ScratchFolder scratch_;
};

}  // namespace kt73b::testing
