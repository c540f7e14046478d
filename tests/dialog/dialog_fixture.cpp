#include "dialog_fixture.h"

#include <algorithm>
#include <fstream>

#include "app/append_log.h"
#include "app/model_byte.h"
#include "emulator/fault_script_parser.h"
#include "emulator/image_check.h"
#include "engine/image_set.h"
#include "tests/support/wait_until.h"

namespace kt73b::testing {

namespace {
CivilTime FixedUtc() {
    return {2017, 2, 23, 6, 24, 50};
}
}  // namespace

void DialogTest::SetUp() {
    SetLogClock(&FixedUtc);
    ui::SetBackend(&backend_);
    SetModelByte(0x57);  // one per process: every test starts as a fresh process would
    SetHostIdentityFamily(0);
}

void DialogTest::TearDown() {
    CloseDialog();
    device_.reset();
    ui::SetBackend(nullptr);
    SetLogClock(nullptr);
}

void DialogTest::StartDevice(const std::string& faults, const std::string& name) {
    emu::EmulatorSettings settings = emu::InstantSettings();
    std::string error;
    ASSERT_TRUE(emu::ParseFaultScript(faults, settings.faults, error)) << error;
    device_ = std::make_unique<emu::LoopbackEmulator>(settings, name);
}

void DialogTest::OpenDialog(std::unique_ptr<CTn8UpdatorDlg> dialog) {
    dialog_ = std::move(dialog);
    dialogThread_ = std::thread([this] { dialog_->DoModal(); });
    ASSERT_TRUE(backend_.WaitUntil(
        [](const ui::HeadlessBackend& b) {
            const auto* window = b.FindWindowLocked(IDD_UPDATER_DIALOG);
            return window != nullptr && !window->title.empty();
        },
        kShortWait));
}

void DialogTest::CloseDialog() {
    if (dialogThread_.joinable()) {
        backend_.CloseWindow(IDD_UPDATER_DIALOG);
        dialogThread_.join();
    }
    dialog_.reset();  // joins the worker
}

bool DialogTest::WaitForStatus(const std::string& text, std::chrono::milliseconds timeout) {
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

bool DialogTest::WaitUntilRestored(std::chrono::milliseconds timeout) {
    return backend_.WaitUntil(
        [](const ui::HeadlessBackend& b) {
            const auto* window = b.FindWindowLocked(IDD_UPDATER_DIALOG);
            return window != nullptr && window->controls.at(IDC_RESCAN).enabled &&
                   window->controls.at(IDC_MIDI_IN_LIST).enabled;
        },
        timeout);
}

std::vector<std::string> DialogTest::BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : backend_.MessageBoxes()) {
        EXPECT_EQ(box.caption, "Error");
        EXPECT_EQ(box.type, ui::kMbOk | ui::kMbIconError);
        texts.push_back(box.text);
    }
    return texts;
}

std::vector<std::string> DialogTest::LogTexts() const {
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

bool DialogTest::WaitForRequests(emu::RequestKind kind, std::uint32_t count) {
    return WaitUntil([&] { return RequestCount(kind) >= count; }, kShortWait);
}

std::string DialogTest::FlashVersusImages() {
    std::string difference;
    device_->WithEmulator([&](emu::Emulator& emulator) {
        difference = emu::CompareFlashWithImages(emulator.Device().Flash(), &LookupImage);
    });
    return difference;
}

}  // namespace kt73b::testing
