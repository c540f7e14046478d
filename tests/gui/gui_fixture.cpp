// The GUI tests' set-up: an X display and wxWidgets started once for the process, before the
// first test, on the main thread, which is then the GUI thread; and each test's fixture.
#include "gui_fixture.h"

#include <wx/init.h>

#include <cstdlib>
#include <memory>

#include "app/cli/child_process.h"
#include "app/model_byte.h"
#include "app/updater_app.h"
#include "app/updater_dialog.h"
#include "resources/ui/resource_ids.h"
#include "tests/dialog/fast_timings.h"

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

}  // namespace

void GuiTest::SetUp() {
    if (!g_unavailable.empty()) {
        GTEST_SKIP() << "no X display: " << g_unavailable;
    }
    SetModelByte(0x57);
    SetHostIdentityFamily(0);
    ui::SetBackend(&backend_);
}

void GuiTest::TearDown() {
    ui::SetBackend(nullptr);
    device_.reset();
}

void GuiTest::StartDevice(bool updateMode, emu::Micros writeTime) {
    emu::EmulatorSettings settings = emu::InstantSettings();
    settings.device.updateMode = updateMode;
    settings.device.writeTime = writeTime;
    device_ = std::make_unique<emu::LoopbackEmulator>(settings);
}

void GuiTest::RunUpdater(const std::function<void()>& script) {
    driver_.Run([] { CTn8UpdatorApp("kt73b-updater-demo", ShortPauses()).InitInstance(); }, script);
}

int GuiTest::RunDialog(const std::function<void()>& script) {
    int result = 0;
    driver_.Run([&] { result = CTn8UpdatorDlg(1, ShortPauses()).DoModal(); }, script);
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
