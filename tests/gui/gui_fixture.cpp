#include "gui_fixture.h"

#include <cstdlib>

#include "app/model_byte.h"
#include "app/updater_app.h"
#include "app/updater_dialog.h"
#include "resources/ui/resource_ids.h"

namespace kt73b::testing {

namespace fs = std::filesystem;

namespace {

// Short pauses and a 2 ms tick: a whole update then takes a few seconds.
UpdateTimings GuiTimings() {
    UpdateTimings timings;
    timings.retryPause = 2ms;
    timings.updateModePause = 2ms;
    timings.tickPeriodMs = 2;
    return timings;
}

}  // namespace

void GuiTest::SetUp() {
    if (!GuiUnavailableReason().empty())
        GTEST_SKIP() << "no X display: " << GuiUnavailableReason();
    ASSERT_FALSE(scratch_.Path().empty());
    previousDirectory_ = fs::current_path();
    fs::current_path(scratch_.Path());
    // The instance locks live here, apart from any other copy of the updater on this machine.
    setenv("XDG_RUNTIME_DIR", scratch_.Path().c_str(), 1);
    SetModelByte(0x57);
    SetHostIdentityFamily(0);
    ui::SetBackend(&backend_);
}

void GuiTest::TearDown() {
    if (!GuiUnavailableReason().empty())
        return;
    ui::SetBackend(nullptr);
    device_.reset();
    if (!previousDirectory_.empty())
        fs::current_path(previousDirectory_);
}

void GuiTest::StartDevice(bool updateMode, emu::Micros writeTime) {
    emu::EmulatorSettings settings = emu::InstantSettings();
    settings.device.updateMode = updateMode;
    settings.device.writeTime = writeTime;
    device_ = std::make_unique<emu::LoopbackEmulator>(settings);
}

void GuiTest::RunUpdater(const std::function<void()>& script) {
    driver_.Run([] { CTn8UpdatorApp("kt73b-updater-demo", GuiTimings()).InitInstance(); }, script);
}

int GuiTest::RunDialog(const std::function<void()>& script) {
    int result = 0;
    driver_.Run([&] { result = CTn8UpdatorDlg(1, GuiTimings()).DoModal(); }, script);
    return result;
}

std::string GuiTest::Text(int id) {
    return driver_.Read<std::string>([&] {
        const ui::WxDialogWindow* window = driver_.Window(IDD_UPDATER_DIALOG);
        return window != nullptr ? window->ControlText(id) : std::string("(no window)");
    });
}

bool GuiTest::Enabled(int id) {
    return driver_.Read<bool>([&] {
        const ui::WxDialogWindow* window = driver_.Window(IDD_UPDATER_DIALOG);
        return window != nullptr && window->IsControlEnabled(id);
    });
}

std::uint32_t GuiTest::Requests(emu::RequestKind kind) {
    std::uint32_t count = 0;
    device_->WithEmulator([&](emu::Emulator& emulator) { count = emulator.RequestCount(kind); });
    return count;
}

}  // namespace kt73b::testing
