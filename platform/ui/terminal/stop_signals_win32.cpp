// Ctrl-C, Ctrl-Break and closing the console window on Windows: the system calls the console's
// handler on a thread of its own, which is where the stop call runs.
#include <functional>
#include <mutex>

#include "platform/ui/terminal/stop_signals.h"
#include "platform/ui/win32/windows_api.h"

namespace kt73b::ui {

namespace {

std::mutex g_mutex;
// Set by the constructor and cleared by the destructor, under g_mutex; called by the system's
// handler thread under g_mutex, so no call runs once the destructor has returned.
std::function<void()> g_onStop;

BOOL WINAPI OnConsoleEvent(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT: {
            std::lock_guard lock(g_mutex);
            if (g_onStop) {
                g_onStop();
            }
            return TRUE;  // handled: the program ends its dialog itself
        }
        default:
            return FALSE;
    }
}

}  // namespace

// The console has one handler list per process: nothing is kept per object.
struct StopSignals::Waiter {};

StopSignals::StopSignals(std::function<void()> onStop) : waiter_(std::make_unique<Waiter>()) {
    {
        std::lock_guard lock(g_mutex);
        g_onStop = std::move(onStop);
    }
    SetConsoleCtrlHandler(&OnConsoleEvent, TRUE);
}

// The handler stays installed and takes a later event without acting on it.
StopSignals::~StopSignals() {
    std::lock_guard lock(g_mutex);
    g_onStop = nullptr;
}

}  // namespace kt73b::ui
