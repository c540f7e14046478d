#include "platform/ui/win32/win32_backend.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "platform/ui/dialog.h"
#include "platform/ui/win32/win32_window.h"

namespace kt73b::ui {

namespace {

// The list-view, tree-view, bar, tab, up-down, progress, hot-key and animation classes.
constexpr DWORD kWin95Classes = 0xFF;

INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* host = reinterpret_cast<Win32Window*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        return host->OnInitDialog(window) ? TRUE : FALSE;
    }
    auto* host = reinterpret_cast<Win32Window*>(GetWindowLongPtrA(window, DWLP_USER));
    if (host == nullptr) {
        return FALSE;
    }
    return host->OnMessage(message, wParam, lParam);
}

}  // namespace

Win32Backend::Win32Backend(HINSTANCE module) : module_(module) {}

bool Win32Backend::InitCommonControls() {
    INITCOMMONCONTROLSEX classes{};
    classes.dwSize = sizeof classes;
    classes.dwICC = kWin95Classes;
    return InitCommonControlsEx(&classes) != FALSE;
}

// The innermost open dialog owns the next one (the about box is owned by the main dialog, which
// takes no input until it closes); the first has no owner.
int Win32Backend::RunModal(Dialog& dialog) {
    Win32Window host(*this, dialog);
    const INT_PTR result =
        DialogBoxParamA(module_, MAKEINTRESOURCEA(dialog.TemplateId()), InnermostWindow(),
                        &DialogProcedure, reinterpret_cast<LPARAM>(&host));
    return static_cast<int>(result);
}

void Win32Backend::WakeDialogThread() {
    std::lock_guard lock(mutex_);
    // Handover: each open dialog's procedure runs its queued calls when the message arrives.
    for (HWND window : windows_) {
        PostMessageA(window, kRunPendingCallsMessage, 0, 0);
    }
}

int Win32Backend::ShowMessageBox(std::string_view text, std::string_view caption, unsigned type) {
    return MessageBoxA(nullptr, std::string(text).c_str(), std::string(caption).c_str(), type);
}

void Win32Backend::AddWindow(HWND window) {
    std::lock_guard lock(mutex_);
    windows_.push_back(window);
}

void Win32Backend::RemoveWindow(HWND window) {
    std::lock_guard lock(mutex_);
    std::erase(windows_, window);
}

HWND Win32Backend::InnermostWindow() {
    std::lock_guard lock(mutex_);
    return windows_.empty() ? nullptr : windows_.back();
}

}  // namespace kt73b::ui
