#include "resources/ui/ui_resources.h"

#include <array>

namespace kt73b::res {

namespace {

#define IDOK kIdOk
#define IDCANCEL kIdCancel

struct StringEntry {
    int id;
    std::string_view text;
};

constexpr StringEntry kStrings[] = {
#define KT73B_STRING(id, text) {id, text},
#include "resources/ui/strings.def"
#undef KT73B_STRING
};

// Controls of each dialog, in tab order; the dialog macro is ignored here and read below.
#define KT73B_DIALOG(...)
#define KT73B_CONTROL(dialog, text, id, cls, style, x, y, w, h) \
    {dialog, {text, id, cls, style, x, y, w, h, 0}},
#define KT73B_ICON_CONTROL(dialog, icon, id, style, x, y, w, h) \
    {dialog, {"", id, "STATIC", style, x, y, w, h, icon}},

struct TaggedControl {
    int dialog;
    ControlTemplate control;
};

constexpr TaggedControl kAllControls[] = {
#include "resources/ui/dialogs.def"
};
#undef KT73B_DIALOG
#undef KT73B_CONTROL
#undef KT73B_ICON_CONTROL

constexpr std::size_t CountControls(int dialog) {
    std::size_t count = 0;
    for (const auto& tagged : kAllControls) {
        count += tagged.dialog == dialog ? 1 : 0;
    }
    return count;
}

template <int Dialog>
constexpr auto ControlsOf() {
    std::array<ControlTemplate, CountControls(Dialog)> controls{};
    std::size_t at = 0;
    for (const auto& tagged : kAllControls) {
        if (tagged.dialog == Dialog) {
            controls[at++] = tagged.control;
        }
    }
    return controls;
}

constexpr auto kMainControls = ControlsOf<IDD_UPDATER_DIALOG>();
constexpr auto kAboutControls = ControlsOf<IDD_ABOUTBOX>();

std::span<const ControlTemplate> ControlsFor(int dialog) {
    switch (dialog) {
        case IDD_UPDATER_DIALOG:
            return kMainControls;
        case IDD_ABOUTBOX:
            return kAboutControls;
        default:
            return {};
    }
}

#define KT73B_DIALOG(id, style, exstyle, x, y, w, h, caption, font, points) \
    {id, style, exstyle, x, y, w, h, caption, font, points, ControlsFor(id)},
#define KT73B_CONTROL(...)
#define KT73B_ICON_CONTROL(...)

const DialogTemplate kDialogs[] = {
#include "resources/ui/dialogs.def"
};
#undef KT73B_DIALOG
#undef KT73B_CONTROL
#undef KT73B_ICON_CONTROL
#undef IDOK
#undef IDCANCEL

}  // namespace

std::string_view LoadString(int id) {
    for (const auto& entry : kStrings) {
        if (entry.id == id) {
            return entry.text;
        }
    }
    return {};
}

const DialogTemplate* FindDialogTemplate(int id) {
    for (const auto& dialog : kDialogs) {
        if (dialog.id == id) {
            return &dialog;
        }
    }
    return nullptr;
}

}  // namespace kt73b::res
