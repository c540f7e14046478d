// The controls of a dialog template as wx widgets: which kind each one is, the dialog's font, and
// positions converted from dialog units with that font's metrics, as the Windows dialog manager
// converts them.
#pragma once

#include <wx/font.h>
#include <wx/gdicmn.h>
#include <wx/window.h>

#include "resources/ui/ui_resources.h"

namespace kt73b::ui {

enum class ControlKind {
    kPushButton,
    kDefaultButton,
    kStaticText,
    kIcon,
    kPicture,
    kDropDownList,
    kProgressBar,
    kEdit,
};

ControlKind KindOf(const res::ControlTemplate& control);

// The template's font where the system has that face, else the desktop's dialog font at the
// template's size ("MS UI Gothic" is a Windows font).
wxFont DialogFont(const res::DialogTemplate& layout);

// wx style flags of the dialog window itself.
long DialogWindowStyle(const res::DialogTemplate& layout);

// Client-area size of the dialog in pixels; `dialog` already carries the dialog's font.
wxSize DialogClientSize(const wxWindow& dialog, const res::DialogTemplate& layout);

// Creates the widget for `control` on `dialog`, placed and sized from its dialog units.
wxWindow* CreateControl(wxWindow* dialog, const res::ControlTemplate& control);

}  // namespace kt73b::ui
