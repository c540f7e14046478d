#include "platform/ui/wx/wx_dialog_window.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/gauge.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "platform/ui/dialog.h"
#include "platform/ui/wx/app_icon.h"
#include "platform/ui/wx/byte_text.h"
#include "platform/ui/wx/wx_backend.h"

namespace kt73b::ui {

namespace {

// Takes the focus when asked, but Tab never lands on it.
class FocusSink final : public wxWindow {
  public:
    explicit FocusSink(wxWindow* parent)
        : wxWindow(parent, wxID_ANY, wxPoint(0, 0), wxSize(1, 1), wxWANTS_CHARS) {}
    bool AcceptsFocus() const override { return true; }
    bool AcceptsFocusFromKeyboard() const override { return false; }
};

}  // namespace

WxDialogWindow::WxDialogWindow(wxWindow* owner, const res::DialogTemplate& layout, Dialog& dialog,
                               WxBackend& backend)
    : wxDialog(owner, wxID_ANY, FromBytes(layout.caption), wxDefaultPosition, wxDefaultSize,
               DialogWindowStyle(layout)),
      dialog_(dialog),
      backend_(backend),
      templateId_(layout.id) {
    SetFont(DialogFont(layout));
    SetIcons(AppIcons());
    // Escape and Return are the dialog's own (dialog_keyboard.cpp), not wx's button emulation.
    SetEscapeId(wxID_NONE);
    SetAffirmativeId(wxID_NONE);
    focusSink_ = new FocusSink(this);
    CreateControls(layout);
    SetClientSize(DialogClientSize(*this, layout));
    Centre();
    Bind(wxEVT_CHAR_HOOK, &WxDialogWindow::OnCharHook, this);
    Bind(wxEVT_CLOSE_WINDOW, &WxDialogWindow::OnCloseBox, this);
    Bind(wxEVT_CONTEXT_MENU, &WxDialogWindow::OnContextMenu, this);
    Bind(wxEVT_MENU, &WxDialogWindow::OnMenuCommand, this);
}

void WxDialogWindow::CreateControls(const res::DialogTemplate& layout) {
    for (const res::ControlTemplate& control : layout.controls) {
        const ControlEntry entry{control.id, KindOf(control), CreateControl(this, control)};
        controls_.push_back(entry);
        BindControlEvents(entry);
        if (entry.kind == ControlKind::kDefaultButton) {
            static_cast<wxButton*>(entry.widget)->SetDefault();
            defaultButton_ = entry.id;
        }
        if (entry.kind == ControlKind::kProgressBar) {
            progress_[entry.id] = Progress{};
        }
    }
}

void WxDialogWindow::BindControlEvents(const ControlEntry& entry) {
    const int id = entry.id;
    if (entry.kind == ControlKind::kPushButton || entry.kind == ControlKind::kDefaultButton) {
        entry.widget->Bind(wxEVT_BUTTON, [this, id](wxCommandEvent&) { dialog_.OnCommand(id); });
    }
    entry.widget->Bind(wxEVT_SET_FOCUS, [this, id](wxFocusEvent& event) {
        focused_ = id;
        event.Skip();
    });
}

int WxDialogWindow::RunModalLoop() {
    if (ended_) {
        return result_;
    }
    return ShowModal();
}

void WxDialogWindow::FocusFirstTabStop() {
    for (const ControlEntry& entry : controls_) {
        if (entry.widget->IsEnabled() && entry.widget->IsShown() &&
            entry.widget->CanAcceptFocusFromKeyboard()) {
            SetFocusTo(entry.widget, entry.id);
            return;
        }
    }
}

void WxDialogWindow::SetFocusTo(wxWindow* widget, int id) {
    widget->SetFocus();
    // The focus event comes only while the window is active; note the move here as well.
    focused_ = id;
}

const WxDialogWindow::ControlEntry* WxDialogWindow::Find(int id) const {
    if (id == IDC_STATIC_TEXT) {
        return nullptr;
    }
    const auto found = std::find_if(controls_.begin(), controls_.end(),
                                    [id](const ControlEntry& entry) { return entry.id == id; });
    return found == controls_.end() ? nullptr : &*found;
}

const WxDialogWindow::ControlEntry* WxDialogWindow::FindWidget(const wxWindow* widget) const {
    const auto found =
        std::find_if(controls_.begin(), controls_.end(), [widget](const ControlEntry& entry) {
            return entry.widget == widget && entry.id != IDC_STATIC_TEXT;
        });
    return found == controls_.end() ? nullptr : &*found;
}

wxWindow* WxDialogWindow::ControlWindow(int id) const {
    const ControlEntry* entry = Find(id);
    return entry != nullptr ? entry->widget : nullptr;
}

wxChoice* WxDialogWindow::List(int id) const {
    const ControlEntry* entry = Find(id);
    return entry != nullptr && entry->kind == ControlKind::kDropDownList
               ? static_cast<wxChoice*>(entry->widget)
               : nullptr;
}

wxGauge* WxDialogWindow::Gauge(int id) const {
    const ControlEntry* entry = Find(id);
    return entry != nullptr && entry->kind == ControlKind::kProgressBar
               ? static_cast<wxGauge*>(entry->widget)
               : nullptr;
}

void WxDialogWindow::SetControlText(int id, std::string_view text) {
    const ControlEntry* entry = Find(id);
    if (entry == nullptr) {
        return;
    }
    if (entry->kind == ControlKind::kEdit) {
        static_cast<wxTextCtrl*>(entry->widget)->ChangeValue(FromBytes(text));
    } else {
        entry->widget->SetLabel(FromBytes(text));
    }
}

std::string WxDialogWindow::ControlText(int id) const {
    const ControlEntry* entry = Find(id);
    if (entry == nullptr) {
        return {};
    }
    if (entry->kind == ControlKind::kEdit) {
        return ToBytes(static_cast<wxTextCtrl*>(entry->widget)->GetValue());
    }
    return ToBytes(entry->widget->GetLabel());
}

void WxDialogWindow::EnableControl(int id, bool enable) {
    const ControlEntry* entry = Find(id);
    if (entry == nullptr) {
        return;
    }
    if (!enable) {
        KeepFocusOffDisabled(id);
    }
    entry->widget->Enable(enable);
}

bool WxDialogWindow::IsControlEnabled(int id) const {
    const ControlEntry* entry = Find(id);
    return entry != nullptr && entry->widget->IsThisEnabled();
}

void WxDialogWindow::ResetList(int id) {
    if (wxChoice* list = List(id)) {
        list->Clear();
        listItems_[id].clear();
    }
}

void WxDialogWindow::AddListItem(int id, std::string_view text) {
    if (wxChoice* list = List(id)) {
        list->Append(FromBytes(text));
        listItems_[id].emplace_back(text);
    }
}

int WxDialogWindow::ListCount(int id) const {
    const wxChoice* list = List(id);
    return list != nullptr ? static_cast<int>(list->GetCount()) : 0;
}

std::string WxDialogWindow::ListItem(int id, int index) const {
    const auto items = listItems_.find(id);
    if (items == listItems_.end() || index < 0 || index >= static_cast<int>(items->second.size())) {
        return {};
    }
    return items->second[static_cast<std::size_t>(index)];
}

void WxDialogWindow::SetListSelection(int id, int index) {
    if (wxChoice* list = List(id)) {
        list->SetSelection(index >= 0 && index < ListCount(id) ? index : wxNOT_FOUND);
    }
}

int WxDialogWindow::ListSelection(int id) const {
    const wxChoice* list = List(id);
    return list != nullptr ? list->GetSelection() : -1;
}

void WxDialogWindow::SetProgressRange(int id, int low, int high) {
    wxGauge* gauge = Gauge(id);
    if (gauge == nullptr) {
        return;
    }
    Progress& progress = progress_[id];
    progress.low = low;
    progress.high = std::max(high, low + 1);
    gauge->SetRange(progress.high - progress.low);
    gauge->SetValue(0);
}

void WxDialogWindow::SetProgressPosition(int id, int position) {
    wxGauge* gauge = Gauge(id);
    if (gauge == nullptr) {
        return;
    }
    // As the progress control does, a position outside the range is taken to its nearest end.
    const Progress& progress = progress_[id];
    gauge->SetValue(std::clamp(position, progress.low, progress.high) - progress.low);
}

void WxDialogWindow::SetTitle(std::string_view title) {
    wxDialog::SetTitle(FromBytes(title));
}

void WxDialogWindow::AppendSystemMenuEntry(unsigned command, std::string_view text) {
    menu_.push_back({0, {}});
    menu_.push_back({command, std::string(text)});
    RebuildAccelerators();
}

int WxDialogWindow::ShowMessageBox(std::string_view text, std::string_view caption, unsigned type) {
    return backend_.ShowBox(this, text, caption, type);
}

void WxDialogWindow::EndDialog(int result) {
    if (IsModal()) {
        EndModal(result);
        return;
    }
    ended_ = true;
    result_ = result;
}

}  // namespace kt73b::ui
