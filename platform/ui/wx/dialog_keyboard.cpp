// The keys and commands of a Windows dialog on wx: Escape, Return, the close box, the window-menu
// entries (GTK offers no window menu a program may extend, so they form a context menu, each
// with an Alt accelerator), and the focus kept where keys still reach the dialog.
#include <wx/accel.h>
#include <wx/menu.h>

#include <vector>

#include "platform/ui/dialog.h"
#include "platform/ui/wx/byte_text.h"
#include "platform/ui/wx/wx_dialog_window.h"

namespace kt73b::ui {

namespace {

// wx ids of the menu entries: one per window-menu command, above wx's own ids.
int MenuId(unsigned command) {
    return wxID_HIGHEST + 1 + static_cast<int>(command);
}

unsigned CommandOf(int menuId) {
    return static_cast<unsigned>(menuId - wxID_HIGHEST - 1);
}

// The access key of a menu text ("About(&A)..." has A), or 0; "&&" is a plain ampersand.
int AccessKey(const std::string& text) {
    for (std::size_t at = 0; at + 1 < text.size(); ++at) {
        if (text[at] != '&') {
            continue;
        }
        if (text[at + 1] != '&') {
            return wxToupper(static_cast<unsigned char>(text[at + 1]));
        }
        ++at;
    }
    return 0;
}

}  // namespace

void WxDialogWindow::OnCharHook(wxKeyEvent& event) {
    switch (event.GetKeyCode()) {
        case WXK_ESCAPE:
            dialog_.OnCommand(kIdCancel);
            return;
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER:
            PressReturn();
            return;
        default:
            event.Skip();
    }
}

// As the Windows dialog manager does: the focused push button is pressed; otherwise the default
// button, when it is enabled. Keys come only while the window is active, so wx knows the focus.
void WxDialogWindow::PressReturn() {
    const ControlEntry* focused = FindWidget(wxWindow::FindFocus());
    if (focused != nullptr && focused->widget->IsEnabled() &&
        (focused->kind == ControlKind::kPushButton ||
         focused->kind == ControlKind::kDefaultButton)) {
        dialog_.OnCommand(focused->id);
        return;
    }
    const ControlEntry* defaultButton = Find(defaultButton_);
    if (defaultButton != nullptr && defaultButton->widget->IsEnabled()) {
        dialog_.OnCommand(defaultButton_);
    }
}

void WxDialogWindow::OnCloseBox(wxCloseEvent& event) {
    // The window goes only through EndDialog, as the dialog decides.
    if (event.CanVeto()) {
        event.Veto();
    }
    dialog_.OnCommand(kIdCancel);
}

void WxDialogWindow::OnContextMenu(wxContextMenuEvent&) {
    wxMenu menu;
    for (const MenuEntry& entry : menu_) {
        if (entry.command == 0) {
            if (menu.GetMenuItemCount() > 0) {
                menu.AppendSeparator();
            }
        } else {
            menu.Append(MenuId(entry.command), FromBytes(entry.text));
        }
    }
    if (menu.GetMenuItemCount() > 0) {
        PopupMenu(&menu);
    }
}

void WxDialogWindow::OnMenuCommand(wxCommandEvent& event) {
    for (const MenuEntry& entry : menu_) {
        if (entry.command != 0 && MenuId(entry.command) == event.GetId()) {
            dialog_.OnSysCommand(CommandOf(event.GetId()));
            return;
        }
    }
    event.Skip();
}

void WxDialogWindow::RebuildAccelerators() {
    std::vector<wxAcceleratorEntry> keys;
    for (const MenuEntry& entry : menu_) {
        if (const int key = AccessKey(entry.text); entry.command != 0 && key != 0) {
            keys.emplace_back(wxACCEL_ALT, key, MenuId(entry.command));
        }
    }
    SetAcceleratorTable(wxAcceleratorTable(static_cast<int>(keys.size()), keys.data()));
}

// Windows leaves a dialog whose focused control goes disabled without a focus, and its keys go
// to the dialog: the sink stands for that. The focus stays there until the user moves it.
void WxDialogWindow::KeepFocusOffDisabled(int id) {
    if (focused_ != id) {
        return;
    }
    focusSink_->SetFocus();
    focused_.reset();
}

}  // namespace kt73b::ui
