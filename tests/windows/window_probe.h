// What a test sees of windows and does to them, the way a user's input arrives: finding the
// windows of a thread or process, reading their texts across threads and processes, clicking a
// button and pressing keys by posted messages.
#pragma once

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "platform/ui/win32/windows_api.h"
#include "tests/support/wait_until.h"

namespace kt73b::testing {

// How long another thread may take to answer a read; the static control kinds of a message box.
inline constexpr UINT kAnswerTimeoutMs = 5000;
inline constexpr LONG kStaticKindMask = 0x1F;  // SS_TYPEMASK
inline constexpr LONG kIconStatic = 0x03;      // SS_ICON

// A window's class name ("#32770" for a dialog box).
inline std::string ClassOf(HWND window) {
    char name[64] = {};
    const int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

// The first visible dialog box among `windows` that `also` accepts, else null.
template <typename Predicate>
HWND FirstVisibleDialog(const std::vector<HWND>& windows, Predicate also) {
    const auto found = std::find_if(windows.begin(), windows.end(), [&](HWND window) {
        return IsWindowVisible(window) && ClassOf(window) == "#32770" && also(window);
    });
    return found != windows.end() ? *found : nullptr;
}

using namespace std::chrono_literals;

// Generous bounds for another thread's or process's windows; never a measure of speed. Wine in
// the one-CPU guest has taken over 20 s to bring up a program's first window.
inline constexpr auto kWindowWait = 60s;

// True when the program can make windows (Wine has an X display).
inline bool CanCreateWindows() {
    HWND probe = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    if (probe == nullptr) {
        return false;
    }
    DestroyWindow(probe);
    return true;
}

// The top-level windows of a process, or of one of its threads when `threadId` is not 0.
inline std::vector<HWND> TopLevelWindows(DWORD processId, DWORD threadId = 0) {
    struct Search {
        DWORD processId, threadId;
        std::vector<HWND> windows;
    } search{processId, threadId, {}};
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            DWORD process = 0;
            const DWORD thread = GetWindowThreadProcessId(window, &process);
            if (process == s->processId && (s->threadId == 0 || thread == s->threadId)) {
                s->windows.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

// The first visible dialog box among `windows` with a control of id `controlId`, else null.
inline HWND DialogWithControl(const std::vector<HWND>& windows, int controlId) {
    return FirstVisibleDialog(windows, [&](HWND w) { return GetDlgItem(w, controlId) != nullptr; });
}

// The first visible dialog box among `windows` owned by `owner` (null: owned by no window).
inline HWND DialogOwnedBy(const std::vector<HWND>& windows, HWND owner) {
    return FirstVisibleDialog(windows, [&](HWND w) { return GetWindow(w, GW_OWNER) == owner; });
}

// WM_GETTEXT, answered by the window's own thread
inline std::string TextOf(HWND window) {
    char text[512] = {};
    DWORD_PTR copied = 0;
    const bool answered =
        SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                            SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &copied) != 0;
    return answered ? std::string(text, copied) : std::string();
}

inline bool IsEnabled(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control != nullptr && IsWindowEnabled(control);
}

// A message box's text, and the icon it shows (null when none).
struct MessageBoxContent {
    std::string text;
    HICON icon = nullptr;
};
inline MessageBoxContent ReadMessageBox(HWND box) {
    MessageBoxContent content;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        const LONG kind = GetWindowLongA(child, GWL_STYLE) & kStaticKindMask;
        DWORD_PTR icon = 0;
        if (kind != kIconStatic && ClassOf(child) == "Static" && content.text.empty()) {
            content.text = TextOf(child);
        } else if (kind == kIconStatic && IsWindowVisible(child) && content.icon == nullptr &&
                   SendMessageTimeoutA(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs,
                                       &icon) != 0) {
            content.icon = reinterpret_cast<HICON>(icon);
        }
    }
    return content;
}

// Input as the dialog manager receives it: a click on a button, a key at the focused window.
inline void ClickButton(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// The keyboard focus of the thread that owns `window`.
inline HWND FocusedWindowOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus
                                                                              : nullptr;
}

inline void PressKey(HWND window, WPARAM virtualKey) {
    HWND focus = FocusedWindowOf(window);
    HWND target = focus != nullptr ? focus : window;
    const UINT scan = MapVirtualKeyA(static_cast<UINT>(virtualKey), MAPVK_VK_TO_VSC);
    PostMessageA(target, WM_KEYDOWN, virtualKey, 1 | static_cast<LPARAM>(scan) << 16);
    PostMessageA(target, WM_KEYUP, virtualKey,
                 1 | static_cast<LPARAM>(scan) << 16 | LPARAM{1} << 30 | LPARAM{1} << 31);
}

}  // namespace kt73b::testing
