#include "gui_driver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <thread>

#include "app/cli/child_process.h"
#include "platform/ui/wx/message_box.h"
#include "resources/ui/resource_ids.h"

namespace kt73b::testing {

namespace {
constexpr auto kPollInterval = 20ms;
// Where the pointer rests in a window: inside it, clear of its title and its controls' edges.
constexpr int kPointerInset = 4;
constexpr auto kRepaintTime = 500ms;
constexpr auto kToolWait = 30s;
}  // namespace

std::optional<int> RunTool(const std::vector<std::string>& argv) {
    auto tool = cli::ChildProcess::Start(argv, "/dev/null");
    return tool != nullptr ? tool->WaitForExit(kToolWait) : std::nullopt;
}

void GuiDriver::Run(const std::function<void()>& modal, const std::function<void()>& script) {
    std::atomic<bool> scriptDone{false};  // set by the script's thread as its last act
    std::thread scriptThread([&] {
        script();
        CloseWhatIsOpen();
        scriptDone = true;
    });
    modal();
    // The script may still wait for calls on this thread after the modal loops have ended.
    while (!scriptDone) {
        wxTheApp->ProcessPendingEvents();
        std::this_thread::sleep_for(kPollInterval);
    }
    scriptThread.join();
}

void GuiDriver::OnGui(const std::function<void()>& call) {
    struct Pending {
        std::mutex mutex;
        std::condition_variable done;
        bool ran = false;
    };
    auto pending = std::make_shared<Pending>();
    // Handover: the GUI thread runs the call in whichever event loop is running and says so.
    wxTheApp->CallAfter([pending, &call] {
        call();
        std::lock_guard lock(pending->mutex);
        pending->ran = true;
        pending->done.notify_all();
    });
    std::unique_lock lock(pending->mutex);
    pending->done.wait(lock, [&] { return pending->ran; });
}

std::optional<int> GuiDriver::PointAndRun(std::vector<std::string> action) {
    const wxPoint spot = Read<wxPoint>([this] {
        wxWindow* top = backend_.OpenMessageBox();
        for (const int id : {IDD_ABOUTBOX, IDD_UPDATER_DIALOG}) {
            top = top != nullptr ? top : Window(id);
        }
        return top != nullptr ? top->GetScreenPosition() + wxPoint(kPointerInset, kPointerInset)
                              : wxPoint(0, 0);
    });
    action.insert(action.begin(),
                  {"xdotool", "mousemove", std::to_string(spot.x), std::to_string(spot.y)});
    return RunTool(action);
}

void GuiDriver::PressKeys(const std::string& keys) {
    std::vector<std::string> action = {"key", "--clearmodifiers"};
    std::istringstream names(keys);
    for (std::string name; names >> name;) {
        action.push_back(name);
    }
    EXPECT_EQ(PointAndRun(action), 0) << "xdotool could not press " << keys;
}

void GuiDriver::RightClick() {
    EXPECT_EQ(PointAndRun({"click", "3"}), 0);
}

bool GuiDriver::SaveScreenshot(const std::string& path) {
    // GTK draws a change on one of its next frames: the picture waits for them, no check does.
    std::this_thread::sleep_for(kRepaintTime);
    return RunTool({"import", "-window", "root", path}) == 0;
}

// After a failed step the script may leave a box or a dialog open: close them, innermost first,
// so that the modal loops on the GUI thread end and the test can report.
void GuiDriver::CloseWhatIsOpen() {
    for (;;) {
        bool closedOne = false;
        OnGui([&] {
            ui::WxDialogWindow* dialog = Window(IDD_ABOUTBOX);
            dialog = dialog != nullptr ? dialog : Window(IDD_UPDATER_DIALOG);
            if (wxGenericMessageDialog* box = backend_.OpenMessageBox()) {
                box->EndModal(wxID_OK);
                closedOne = true;
            } else if (dialog != nullptr) {
                dialog->EndDialog(ui::kIdCancel);
                closedOne = true;
            }
        });
        if (!closedOne) {
            return;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

}  // namespace kt73b::testing
