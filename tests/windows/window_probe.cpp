#include "tests/windows/window_probe.h"

#include <algorithm>

namespace kt73b::testing {

namespace {

constexpr UINT kAnswerTimeoutMs = 5000;
constexpr LONG kStaticKindMask = 0x1F;  // SS_TYPEMASK
constexpr LONG kIconStatic = 0x03;      // SS_ICON

std::string ClassOf(HWND window) {
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

}  // namespace

bool CanCreateWindows() {
    HWND probe = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    if (probe == nullptr) {
        return false;
    }
    DestroyWindow(probe);
    return true;
}

std::vector<HWND> TopLevelWindows(DWORD processId, DWORD threadId) {
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

HWND DialogWithControl(const std::vector<HWND>& windows, int controlId) {
    return FirstVisibleDialog(windows, [&](HWND w) { return GetDlgItem(w, controlId) != nullptr; });
}

HWND DialogOwnedBy(const std::vector<HWND>& windows, HWND owner) {
    return FirstVisibleDialog(windows, [&](HWND w) { return GetWindow(w, GW_OWNER) == owner; });
}

std::string TextOf(HWND window) {
    char text[512] = {};
    DWORD_PTR copied = 0;
    if (SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                            SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &copied) == 0) {
        return {};
    }
    return std::string(text, copied);
}

bool IsEnabled(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control != nullptr && IsWindowEnabled(control);
}

MessageBoxContent ReadMessageBox(HWND box) {
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

void ClickButton(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

HWND FocusedWindowOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) {
        return nullptr;
    }
    return info.hwndFocus;
}

void PressKey(HWND window, WPARAM virtualKey) {
    HWND focus = FocusedWindowOf(window);
    HWND target = focus != nullptr ? focus : window;
    const UINT scan = MapVirtualKeyA(static_cast<UINT>(virtualKey), MAPVK_VK_TO_VSC);
    PostMessageA(target, WM_KEYDOWN, virtualKey, 1 | static_cast<LPARAM>(scan) << 16);
    PostMessageA(target, WM_KEYUP, virtualKey,
                 1 | static_cast<LPARAM>(scan) << 16 | LPARAM{1} << 30 | LPARAM{1} << 31);
}

}  // namespace kt73b::testing
