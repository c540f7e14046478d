// What a test sees of windows and does to them, the way a user's input arrives: finding the
// windows of a thread or process, reading their texts across threads and processes, clicking a
// button and pressing keys by posted messages.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "platform/ui/win32/windows_api.h"
#include "tests/support/wait_until.h"

namespace kt73b::testing {

using namespace std::chrono_literals;

// Generous bounds for another thread's or process's windows; never a measure of speed. Wine in
// the one-CPU guest has taken over 20 s to bring up a program's first window.
inline constexpr auto kWindowWait = 60s;

// True when the program can make windows (Wine has an X display).
bool CanCreateWindows();

// The top-level windows of a process, or of one of its threads when `threadId` is not 0.
std::vector<HWND> TopLevelWindows(DWORD processId, DWORD threadId = 0);

// The first visible dialog box among `windows` with a control of id `controlId`, else null.
HWND DialogWithControl(const std::vector<HWND>& windows, int controlId);
// The first visible dialog box among `windows` owned by `owner` (null: owned by no window).
HWND DialogOwnedBy(const std::vector<HWND>& windows, HWND owner);

std::string TextOf(HWND window);  // WM_GETTEXT, answered by the window's own thread
bool IsEnabled(HWND dialog, int id);

// A message box's text, and the icon it shows (null when none).
struct MessageBoxContent {
    std::string text;
    HICON icon = nullptr;
};
MessageBoxContent ReadMessageBox(HWND box);

// Input as the dialog manager receives it: a click on a button, a key at the focused window.
void ClickButton(HWND dialog, int id);
void PressKey(HWND window, WPARAM virtualKey);
HWND FocusedWindowOf(HWND window);  // the focus of the thread that owns `window`

}  // namespace kt73b::testing
