// The terminal back end's Windows pieces: Ctrl-C reaches the stop call on the console's handler
// thread, and after the stop object has gone it is taken without effect (the process lives on);
// output to a file is no terminal.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/ui/terminal/console.h"
#include "platform/ui/terminal/stop_signals.h"
#include "platform/ui/win32/windows_api.h"

namespace kt73b::testing {
namespace {

using namespace std::chrono_literals;

// Counts stop calls; written on the console's handler thread under `mutex`.
struct StopCount {
    std::mutex mutex;
    std::condition_variable changed;
    int calls = 0;

    void Add() {
        std::lock_guard lock(mutex);
        ++calls;
        changed.notify_all();
    }
    bool WaitFor(int count) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 10s, [&] { return calls >= count; });
    }
};

StopCount* g_witness = nullptr;  // set before the witness handler is added

BOOL WINAPI Witness(DWORD) {
    g_witness->Add();
    return FALSE;  // the next handler gets the event too
}

TEST(TerminalWin32, CtrlC_CallsTheStopAndIsIgnoredOnceTheStopObjectHasGone) {
    // A console of its own, unless the program has one already (access denied).
    const bool ownConsole = AllocConsole() != FALSE;
    if (!ownConsole && GetLastError() != ERROR_ACCESS_DENIED)
        GTEST_SKIP() << "no console can be had here (error " << GetLastError() << ")";
    StopCount count;
    StopCount witness;
    {
        ui::StopSignals signals([&count] { count.Add(); });
        if (!GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) {
            GTEST_SKIP() << "this console takes no Ctrl-C events (Wine without a terminal; error "
                         << GetLastError() << ")";
        }
        ASSERT_TRUE(count.WaitFor(1));
        ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, 0));
        ASSERT_TRUE(count.WaitFor(2));
    }
    // Taken and ignored: without a handler that takes it, Ctrl-C would end this process. The
    // witness, added last, is asked first and passes the event on to the stopped handler.
    g_witness = &witness;
    ASSERT_TRUE(SetConsoleCtrlHandler(&Witness, TRUE));
    ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
    ASSERT_TRUE(witness.WaitFor(1));
    SetConsoleCtrlHandler(&Witness, FALSE);
    std::lock_guard lock(count.mutex);
    EXPECT_EQ(count.calls, 2);
    if (ownConsole)
        FreeConsole();
}

TEST(TerminalWin32, Console_OutputToAFileIsNoTerminal) {
    // scripts/wine-run sends the output of this program to a file.
    EXPECT_FALSE(ui::StandardOutputConsole().terminal);
}

}  // namespace
}  // namespace kt73b::testing
