// Runs the updater's dialog headless against the emulated device through the in-process
// loopback, with shortened time-outs, in a scratch current directory with a fixed log clock.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/append_log.h"
#include "app/model_byte.h"
#include "app/updater_dialog.h"
#include "emulator/fault_script_parser.h"
#include "emulator/image_check.h"
#include "emulator/loopback/loopback_emulator.h"
#include "engine/image_set.h"
#include "fast_timings.h"
#include "platform/ui/headless/headless_backend.h"
#include "resources/ui/resource_ids.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait_until.h"

namespace kt73b::testing {

using namespace std::chrono_literals;

// Generous bounds for real-time waits on other threads; never a measure of speed.
inline constexpr auto kShortWait = 10s;
inline constexpr auto kUpdateWait = 240s;

class DialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetLogClock(&FixedUtc);
        ui::SetBackend(&backend_);
        SetModelByte(0x57);  // one per process: every test starts as a fresh process would
        SetHostIdentityFamily(0);
    }
    void TearDown() override {
        CloseDialog();
        device_.reset();
        ui::SetBackend(nullptr);
        SetLogClock(nullptr);
    }

    // The emulated device, with no link or device time, and the given fault script.
    void StartDevice(const std::string& faults = "",
                     const std::string& name = emu::kLoopbackDeviceName) {
        emu::EmulatorSettings settings = emu::InstantSettings();
        std::string error;
        ASSERT_TRUE(emu::ParseFaultScript(faults, settings.faults, error)) << error;
        device_ = std::make_unique<emu::LoopbackEmulator>(settings, name);
    }
    void OpenDialog(int instanceNumber = 1, UpdateTimings timings = FastTimings()) {
        OpenDialog(std::make_unique<CTn8UpdatorDlg>(instanceNumber, timings));
    }
    void OpenDialog(std::unique_ptr<CTn8UpdatorDlg> dialog) {
        dialog_ = std::move(dialog);
        dialogThread_ = std::thread([this] { dialog_->DoModal(); });
        ASSERT_TRUE(backend_.WaitUntil(
            [](const ui::HeadlessBackend& b) {
                const auto* window = b.FindWindowLocked(IDD_UPDATER_DIALOG);
                return window != nullptr && !window->title.empty();
            },
            kShortWait));
    }
    void CloseDialog() {
        if (dialogThread_.joinable()) {
            backend_.CloseWindow(IDD_UPDATER_DIALOG);
            dialogThread_.join();
        }
        dialog_.reset();  // joins the worker
    }
    void Execute() { backend_.Click(IDD_UPDATER_DIALOG, ui::kIdOk); }

    ui::HeadlessControl Control(int id) const {
        return backend_.ControlState(IDD_UPDATER_DIALOG, id).value_or(ui::HeadlessControl{});
    }
    std::string Status() const { return Control(IDC_STATUS_LINE).text; }
    // Waits until the status line has shown `text`, now or before: each answer moves the run on
    // at once, so a text that lasts one chunk may be gone before this thread looks.
    bool WaitForStatus(const std::string& text, std::chrono::milliseconds timeout = kShortWait) {
        std::size_t looked = 0;  // texts before this one were looked at already
        return backend_.WaitUntil(
            [&text, &looked](const ui::HeadlessBackend& b) {
                const auto* window = b.FindWindowLocked(IDD_UPDATER_DIALOG);
                if (window == nullptr) {
                    return false;
                }
                const auto& shown = window->controls.at(IDC_STATUS_LINE).textHistory;
                const auto from = shown.begin() + static_cast<std::ptrdiff_t>(looked);
                looked = shown.size();
                return std::find(from, shown.end(), text) != shown.end();
            },
            timeout);
    }
    // Waits until the run has restored the controls (Rescan enabled again after Execute).
    bool WaitUntilRestored(std::chrono::milliseconds timeout = kShortWait) {
        return backend_.WaitUntil(
            [](const ui::HeadlessBackend& b) {
                const auto* window = b.FindWindowLocked(IDD_UPDATER_DIALOG);
                return window != nullptr && window->controls.at(IDC_RESCAN).enabled &&
                       window->controls.at(IDC_MIDI_IN_LIST).enabled;
            },
            timeout);
    }
    bool WaitForBoxes(std::size_t count, std::chrono::milliseconds timeout = kShortWait) {
        return backend_.WaitUntil(
            [count](const ui::HeadlessBackend& b) { return b.BoxesLocked().size() >= count; },
            timeout);
    }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const auto& box : backend_.MessageBoxes()) {
            EXPECT_EQ(box.caption, "Error");
            EXPECT_EQ(box.type, ui::kMbOk | ui::kMbIconError);
            texts.push_back(box.text);
        }
        return texts;
    }
    void CreateLogFile() const { std::ofstream(kLogFileName).flush(); }
    // The texts of the log's lines, in order.
    std::vector<std::string> LogTexts() const {
        std::ifstream in(kLogFileName, std::ios::binary);
        std::vector<std::string> texts;
        std::string line;
        while (std::getline(in, line)) {
            EXPECT_TRUE(line.starts_with("2017/02/23 15:24:50     ")) << line;
            EXPECT_TRUE(line.ends_with("\r")) << line;
            texts.push_back(line.substr(24, line.size() - 25));
        }
        return texts;
    }
    std::uint32_t RequestCount(emu::RequestKind kind) {
        std::uint32_t count = 0;
        device_->WithEmulator(
            [&](emu::Emulator& emulator) { count = emulator.RequestCount(kind); });
        return count;
    }
    // Until the device has received `count` requests of `kind`, bounded.
    bool WaitForRequests(emu::RequestKind kind, std::uint32_t count) {
        return WaitUntil([&] { return RequestCount(kind) >= count; }, kShortWait);
    }
    std::string FlashVersusImages() {
        std::string difference;
        device_->WithEmulator([&](emu::Emulator& emulator) {
            difference = emu::CompareFlashWithImages(emulator.Device().Flash(), &LookupImage);
        });
        return difference;
    }

    // The log's clock stands still at 2017-02-23 06:24:50 UTC.
    static CivilTime FixedUtc() { return {2017, 2, 23, 6, 24, 50}; }

    ui::HeadlessBackend backend_;
    std::unique_ptr<emu::LoopbackEmulator> device_;
    std::unique_ptr<CTn8UpdatorDlg> dialog_;
    std::thread dialogThread_;
    const ScratchFolder scratch_;
};

}  // namespace kt73b::testing
