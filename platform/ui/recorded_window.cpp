#include "platform/ui/recorded_window.h"

namespace kt73b::ui {

RecordedWindow::RecordedWindow(const res::DialogTemplate& layout, std::mutex* mutex,
                               bool keepTextHistory)
    : mutex_(mutex), keepTextHistory_(keepTextHistory) {
    for (const res::ControlTemplate& control : layout.controls) {
        if (control.id == IDC_STATIC_TEXT) {
            continue;
        }
        RecordedControl& state = controls[control.id];
        state.className = control.className;
        state.text = control.text;
    }
}

std::unique_lock<std::mutex> RecordedWindow::Guard() const {
    return mutex_ != nullptr ? std::unique_lock(*mutex_) : std::unique_lock<std::mutex>();
}

const RecordedControl* RecordedWindow::Find(int id) const {
    const auto found = controls.find(id);
    return found == controls.end() ? nullptr : &found->second;
}

template <class Change>
void RecordedWindow::Apply(int id, const Change& change) {
    const auto lock = Guard();
    change(controls[id]);
    Changed();
}

void RecordedWindow::SetControlText(int id, std::string_view text) {
    Apply(id, [&](RecordedControl& control) {
        control.text = text;
        if (keepTextHistory_) {
            control.textHistory.emplace_back(text);
        }
    });
}

std::string RecordedWindow::ControlText(int id) const {
    const auto lock = Guard();
    const RecordedControl* control = Find(id);
    return control != nullptr ? control->text : std::string();
}

void RecordedWindow::EnableControl(int id, bool enable) {
    Apply(id, [&](RecordedControl& control) { control.enabled = enable; });
}

bool RecordedWindow::IsControlEnabled(int id) const {
    const auto lock = Guard();
    const RecordedControl* control = Find(id);
    return control != nullptr && control->enabled;
}

void RecordedWindow::ResetList(int id) {
    Apply(id, [](RecordedControl& control) {
        control.items.clear();
        control.selection = -1;
    });
}

void RecordedWindow::AddListItem(int id, std::string_view text) {
    Apply(id, [&](RecordedControl& control) { control.items.emplace_back(text); });
}

int RecordedWindow::ListCount(int id) const {
    const auto lock = Guard();
    const RecordedControl* control = Find(id);
    return control != nullptr ? static_cast<int>(control->items.size()) : 0;
}

std::string RecordedWindow::ListItem(int id, int index) const {
    const auto lock = Guard();
    const RecordedControl* control = Find(id);
    if (control == nullptr || index < 0 || index >= static_cast<int>(control->items.size())) {
        return {};
    }
    return control->items[static_cast<std::size_t>(index)];
}

void RecordedWindow::SetListSelection(int id, int index) {
    Apply(id, [&](RecordedControl& control) {
        const bool inList = index >= 0 && index < static_cast<int>(control.items.size());
        control.selection = inList ? index : -1;
    });
}

int RecordedWindow::ListSelection(int id) const {
    const auto lock = Guard();
    const RecordedControl* control = Find(id);
    return control != nullptr ? control->selection : -1;
}

void RecordedWindow::SetProgressRange(int id, int low, int high) {
    Apply(id, [&](RecordedControl& control) {
        control.rangeLow = low;
        control.rangeHigh = high;
    });
}

void RecordedWindow::SetProgressPosition(int id, int position) {
    Apply(id, [&](RecordedControl& control) { control.position = position; });
}

}  // namespace kt73b::ui
