#include "platform/ui/controls.h"

namespace kt73b::ui {

void Control::EnableWindow(bool enable) {
    Call([&](WindowHost& host) { host.EnableControl(id_, enable); });
}

bool Control::IsWindowEnabled() const {
    bool enabled = false;
    Call([&](WindowHost& host) { enabled = host.IsControlEnabled(id_); });
    return enabled;
}

void Control::SetWindowText(std::string_view text) {
    Call([&](WindowHost& host) { host.SetControlText(id_, text); });
}

std::string Control::GetWindowText() const {
    std::string text;
    Call([&](WindowHost& host) { text = host.ControlText(id_); });
    return text;
}

void ComboBox::ResetContent() {
    Call([&](WindowHost& host) { host.ResetList(id_); });
}

void ComboBox::AddString(std::string_view text) {
    Call([&](WindowHost& host) { host.AddListItem(id_, text); });
}

int ComboBox::GetCount() const {
    int count = 0;
    Call([&](WindowHost& host) { count = host.ListCount(id_); });
    return count;
}

std::string ComboBox::GetLBText(int index) const {
    std::string text;
    Call([&](WindowHost& host) { text = host.ListItem(id_, index); });
    return text;
}

void ComboBox::SetCurSel(int index) {
    Call([&](WindowHost& host) { host.SetListSelection(id_, index); });
}

int ComboBox::GetCurSel() const {
    int selection = -1;
    Call([&](WindowHost& host) { selection = host.ListSelection(id_); });
    return selection;
}

void ProgressCtrl::SetRange32(int low, int high) {
    Call([&](WindowHost& host) { host.SetProgressRange(id_, low, high); });
}

void ProgressCtrl::SetPos(int position) {
    Call([&](WindowHost& host) { host.SetProgressPosition(id_, position); });
}

}  // namespace kt73b::ui
