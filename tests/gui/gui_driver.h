// Drives dialogs that run modally on the GUI thread: a script on a thread of its own looks at
// the windows through calls carried out on the GUI thread, and acts as a person would, with real
// key presses and clicks from xdotool through the X server.
#pragma once

#include <wx/app.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/wx/wx_backend.h"
#include "platform/ui/wx/wx_dialog_window.h"
#include "tests/support/wait_until.h"

namespace kt73b::testing {

using namespace std::chrono_literals;

// The bound of a whole update's wait; never a measure of speed.
inline constexpr auto kGuiUpdateWait = 180s;

// Runs a tool (xdotool, import) to its end: its exit status, or nothing when it did not start
// or end within the wait.
std::optional<int> RunTool(const std::vector<std::string>& argv);

class GuiDriver {
  public:
    explicit GuiDriver(ui::WxBackend& backend) : backend_(backend) {}

    // Runs `modal` here, on the GUI thread, and `script` on a thread of its own; returns when
    // both have ended. Whatever the script leaves open is closed when it ends.
    void Run(const std::function<void()>& modal, const std::function<void()>& script);

    // Script side. Runs `call` on the GUI thread and waits for it.
    void OnGui(const std::function<void()>& call);
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
    void PressKeys(const std::string& keys);
    void RightClick();
    // Script side: the whole screen as a PNG file.
    bool SaveScreenshot(const std::string& path);

  private:
    // Runs xdotool's `action` with the pointer in the window on top.
    std::optional<int> PointAndRun(std::vector<std::string> action);
    void CloseWhatIsOpen();

    ui::WxBackend& backend_;
};

}  // namespace kt73b::testing
