#include "platform/ui/win32/win32_window.h"

#include <commctrl.h>

#include <vector>

#include "platform/ui/win32/minimised_icon.h"
#include "resources/ui/resource_ids.h"

namespace kt73b::ui {

namespace {

// System commands from 0xF000 on are the platform's own (move, size, close...); below that they
// are the program's, such as the about entry.
constexpr unsigned kSysCommandMask = 0xFFF0;
constexpr unsigned kFirstPlatformSysCommand = 0xF000;

std::string TextOf(HWND window) {
    const int length = GetWindowTextLengthA(window);
    if (length <= 0) {
        return {};
    }
    std::vector<char> text(static_cast<std::size_t>(length) + 1);
    const int copied = GetWindowTextA(window, text.data(), length + 1);
    return std::string(text.data(), static_cast<std::size_t>(copied > 0 ? copied : 0));
}

}  // namespace

bool Win32Window::OnInitDialog(HWND window) {
    window_ = window;
    icon_ = LoadIconA(backend_.Module(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    // The program's own window shows the application icon; an owned box shows none.
    if (GetWindow(window, GW_OWNER) == nullptr) {
        SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
        SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    }
    backend_.AddWindow(window);
    dialog_.Attach(this);
    return dialog_.OnInitDialog();
}

INT_PTR Win32Window::OnMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case kRunPendingCallsMessage:
            dialog_.RunPendingCalls();
            return TRUE;
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED) {
                return FALSE;
            }
            dialog_.OnCommand(LOWORD(wParam));
            return TRUE;
        case WM_CLOSE:  // the close box and the close command end the dialog as Escape does
            dialog_.OnCommand(kIdCancel);
            return TRUE;
        case WM_SYSCOMMAND: {
            const auto command = static_cast<unsigned>(wParam);
            dialog_.OnSysCommand(command);
            return (command & kSysCommandMask) < kFirstPlatformSysCommand ? TRUE : FALSE;
        }
        case WM_PAINT:
            if (!IsIconic(window_)) {
                return FALSE;
            }
            PaintMinimisedIcon(window_, icon_);
            return TRUE;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(icon_);
        case WM_DESTROY:
            OnDestroy();
            return FALSE;
        default:
            return FALSE;
    }
}

void Win32Window::OnDestroy() {
    dialog_.OnDestroy();
    dialog_.Detach();
    backend_.RemoveWindow(window_);
    window_ = nullptr;
}

LRESULT Win32Window::SendToControl(int id, UINT message, WPARAM wParam, LPARAM lParam) const {
    return SendDlgItemMessageA(window_, id, message, wParam, lParam);
}

void Win32Window::SetControlText(int id, std::string_view text) {
    SetDlgItemTextA(window_, id, std::string(text).c_str());
}

std::string Win32Window::ControlText(int id) const {
    return TextOf(GetDlgItem(window_, id));
}

// A control that loses its enabled state while it has the focus would take the keyboard with
// it (Escape and Enter would go nowhere): the focus moves on to the next tab stop first.
void Win32Window::EnableControl(int id, bool enable) {
    HWND control = GetDlgItem(window_, id);
    if (!enable && control != nullptr && GetFocus() == control) {
        SendMessageA(window_, WM_NEXTDLGCTL, 0, FALSE);
    }
    EnableWindow(control, enable ? TRUE : FALSE);
}

bool Win32Window::IsControlEnabled(int id) const {
    HWND control = GetDlgItem(window_, id);
    return control != nullptr && IsWindowEnabled(control) != FALSE;
}

void Win32Window::ResetList(int id) {
    SendToControl(id, CB_RESETCONTENT);
}

void Win32Window::AddListItem(int id, std::string_view text) {
    const std::string item(text);
    SendToControl(id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

int Win32Window::ListCount(int id) const {
    const LRESULT count = SendToControl(id, CB_GETCOUNT);
    return count == CB_ERR ? 0 : static_cast<int>(count);
}

std::string Win32Window::ListItem(int id, int index) const {
    const LRESULT length = SendToControl(id, CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (length == CB_ERR || length < 0) {
        return {};
    }
    std::vector<char> text(static_cast<std::size_t>(length) + 1);
    const LRESULT copied = SendToControl(id, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                         reinterpret_cast<LPARAM>(text.data()));
    return copied == CB_ERR ? std::string() : std::string(text.data());
}

void Win32Window::SetListSelection(int id, int index) {
    SendToControl(id, CB_SETCURSEL, static_cast<WPARAM>(index));
}

int Win32Window::ListSelection(int id) const {
    const LRESULT selection = SendToControl(id, CB_GETCURSEL);
    return selection == CB_ERR ? -1 : static_cast<int>(selection);
}

void Win32Window::SetProgressRange(int id, int low, int high) {
    SendToControl(id, PBM_SETRANGE32, static_cast<WPARAM>(low), static_cast<LPARAM>(high));
}

void Win32Window::SetProgressPosition(int id, int position) {
    SendToControl(id, PBM_SETPOS, static_cast<WPARAM>(position));
}

void Win32Window::SetTitle(std::string_view title) {
    SetWindowTextA(window_, std::string(title).c_str());
}

void Win32Window::AppendSystemMenuEntry(unsigned command, std::string_view text) {
    HMENU menu = GetSystemMenu(window_, FALSE);
    if (menu == nullptr) {
        return;
    }
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, command, std::string(text).c_str());
}

int Win32Window::ShowMessageBox(std::string_view text, std::string_view caption, unsigned type) {
    return MessageBoxA(window_, std::string(text).c_str(), std::string(caption).c_str(), type);
}

void Win32Window::EndDialog(int result) {
    ::EndDialog(window_, result);
}

}  // namespace kt73b::ui
