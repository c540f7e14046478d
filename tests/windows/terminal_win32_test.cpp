// The terminal back end's Windows pieces: Ctrl-C reaches the stop call on the console's handler
// thread, and after the stop object has gone it is taken without effect (the process lives on);
// output to a file is no terminal.
#include <gtest/gtest.h>

#include <atomic>

#include "platform/ui/terminal/console.h"
#include "platform/ui/terminal/stop_signals.h"
#include "platform/ui/win32/windows_api.h"
#include "tests/support/wait_until.h"

namespace kt73b::testing {
namespace {

// Stop calls and witness calls, counted on the console's handler thread.
std::atomic<int> g_stops{0};
std::atomic<int> g_witnessed{0};

BOOL WINAPI Witness(DWORD) {
    ++g_witnessed;
    return FALSE;  // the next handler gets the event too
}

TEST(TerminalWin32, CtrlC_CallsTheStopAndIsIgnoredOnceTheStopObjectHasGone) {
    // A console of its own, unless the program has one already (access denied).
    const bool ownConsole = AllocConsole() != FALSE;
    if (!ownConsole && GetLastError() != ERROR_ACCESS_DENIED) {
        GTEST_SKIP() << "no console can be had here (error " << GetLastError() << ")";
    }
    {
        ui::StopSignals signals([] { ++g_stops; });
        if (!GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) {
            GTEST_SKIP() << "this console takes no Ctrl-C events (Wine without a terminal; error "
                         << GetLastError() << ")";
        }
        ASSERT_TRUE(WaitUntil([] { return g_stops == 1; }));
        ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, 0));
        ASSERT_TRUE(WaitUntil([] { return g_stops == 2; }));
    }
    // Taken and ignored: without a handler that takes it, Ctrl-C would end this process. The
    // witness, added last, is asked first and passes the event on to the stopped handler.
    ASSERT_TRUE(SetConsoleCtrlHandler(&Witness, TRUE));
    ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
    ASSERT_TRUE(WaitUntil([] { return g_witnessed == 1; }));
    SetConsoleCtrlHandler(&Witness, FALSE);
    EXPECT_EQ(g_stops, 2);
    if (ownConsole) {
        FreeConsole();
    }
}

TEST(TerminalWin32, Console_OutputToAFileIsNoTerminal) {
    // scripts/wine-run sends the output of this program to a file.
    EXPECT_FALSE(ui::StandardOutputConsole().terminal);
}

}  // namespace
}  // namespace kt73b::testing
