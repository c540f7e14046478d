// Drives dialogs that run modally on the GUI thread: a script on a thread of its own looks at
// the windows through calls carried out on the GUI thread, and acts as a person would, with real
// key presses and clicks from xdotool through the X server.
#pragma once

#include <gtest/gtest.h>
#include <wx/app.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/cli/child_process.h"
#include "platform/ui/wx/message_box.h"
#include "platform/ui/wx/wx_backend.h"
#include "platform/ui/wx/wx_dialog_window.h"
#include "resources/ui/resource_ids.h"
#include "tests/support/wait_until.h"

namespace kt73b::testing {

using namespace std::chrono_literals;

// The bound of a whole update's wait; never a measure of speed.
inline constexpr auto kGuiUpdateWait = 180s;

// Runs a tool (xdotool, import) to its end: its exit status, or nothing when it did not start
// or end within 30 s.
inline std::optional<int> RunTool(const std::vector<std::string>& argv) {
    auto tool = cli::ChildProcess::Start(argv, "/dev/null");
    return tool != nullptr ? tool->WaitForExit(30s) : std::nullopt;
}

class GuiDriver {
  public:
    explicit GuiDriver(ui::WxBackend& backend) : backend_(backend) {}

    // Runs `modal` here, on the GUI thread, and `script` on a thread of its own; returns when
    // both have ended. Whatever the script leaves open is closed when it ends.
    void Run(const std::function<void()>& modal, const std::function<void()>& script) {
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

    // Script side. Runs `call` on the GUI thread and waits for it.
    void OnGui(const std::function<void()>& call) {
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
    bool IsOpen(int templateId) {
        return Read<bool>([&] { return Window(templateId) != nullptr; });
    }
    bool IsBoxOpen() {
        return Read<bool>([&] { return backend_.OpenMessageBox() != nullptr; });
    }
    bool WaitForWindow(int templateId) {
        return WaitUntil([&] { return IsOpen(templateId); });
    }
    bool WaitUntilClosed(int templateId) {
        return WaitUntil([&] { return !IsOpen(templateId); });
    }

    // GUI thread: the innermost window of `templateId`, or null.
    ui::WxDialogWindow* Window(int templateId) const { return backend_.FindWindow(templateId); }
    // Script side: a value read on the GUI thread.
    template <class T>
    T Read(const std::function<T()>& read) {
        T value{};
        OnGui([&] { value = read(); });
        return value;
    }

    // Script side: keys (xdotool names: "Return", "Escape", "alt+a", "Down") and a right click,
    // to the window on top (an open message box, else the innermost dialog), with the pointer
    // in it, since without a window manager the keyboard focus follows the pointer.
    void PressKeys(const std::string& keys) {
        std::vector<std::string> action = {"key", "--clearmodifiers"};
        std::istringstream names(keys);
        for (std::string name; names >> name;) {
            action.push_back(name);
        }
        EXPECT_EQ(PointAndRun(action), 0) << "xdotool could not press " << keys;
    }
    void RightClick() { EXPECT_EQ(PointAndRun({"click", "3"}), 0); }
    // Script side: the whole screen as a PNG file.
    bool SaveScreenshot(const std::string& path) {
        // GTK draws a change on one of its next frames: the picture waits for them, no check does.
        std::this_thread::sleep_for(kRepaintTime);
        return RunTool({"import", "-window", "root", path}) == 0;
    }

  private:
    // Runs xdotool's `action` with the pointer in the window on top.
    std::optional<int> PointAndRun(std::vector<std::string> action) {
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
    // After a failed step the script may leave a box or a dialog open: close them, innermost first,
    // so that the modal loops on the GUI thread end and the test can report.
    void CloseWhatIsOpen() {
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

    static constexpr auto kPollInterval = 20ms;
    // Where the pointer rests in a window: inside it, clear of its title and its controls' edges.
    static constexpr int kPointerInset = 4;
    static constexpr auto kRepaintTime = 500ms;

    ui::WxBackend& backend_;
};

}  // namespace kt73b::testing
