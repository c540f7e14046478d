#include "platform/ui/wx/template_controls.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/fontenum.h>
#include <wx/gauge.h>
#include <wx/settings.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/toplevel.h>

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "platform/ui/wx/app_icon.h"
#include "platform/ui/wx/byte_text.h"

namespace kt73b::ui {

namespace {

// Window and control style bits of the templates (WS_, BS_, SS_, ES_ values).
constexpr std::uint32_t kWsDisabled = 0x08000000;
constexpr std::uint32_t kWsVisible = 0x10000000;
constexpr std::uint32_t kWsThickFrame = 0x00040000;
constexpr std::uint32_t kWsMinimizeBox = 0x00020000;
constexpr std::uint32_t kWsMaximizeBox = 0x00010000;
constexpr std::uint32_t kWsSysMenu = 0x00080000;
constexpr std::uint32_t kWsCaption = 0x00C00000;
constexpr std::uint32_t kButtonTypeMask = 0x0F;
constexpr std::uint32_t kBsDefPushButton = 0x01;
constexpr std::uint32_t kStaticTypeMask = 0x1F;
constexpr std::uint32_t kSsIcon = 0x03;
constexpr std::uint32_t kSsBitmap = 0x0E;
constexpr std::uint32_t kEsReadOnly = 0x0800;
// The size Windows gives an icon static: the system's large icon.
constexpr int kIconPixels = 32;

bool ClassIs(std::string_view name, std::string_view expected) {
    return std::equal(name.begin(), name.end(), expected.begin(), expected.end(),
                      [](char a, char b) { return wxToupper(a) == wxToupper(b); });
}

wxRect PixelRect(const wxWindow& dialog, const res::ControlTemplate& control) {
    const wxPoint origin = dialog.ConvertDialogToPixels(wxPoint(control.x, control.y));
    const wxSize size = dialog.ConvertDialogToPixels(wxSize(control.width, control.height));
    return {origin, size};
}

wxWindow* MakeWidget(wxWindow* dialog, const res::ControlTemplate& control, const wxRect& rect) {
    const wxString text = FromBytes(control.text);
    switch (KindOf(control)) {
        case ControlKind::kPushButton:
        case ControlKind::kDefaultButton:
            return new wxButton(dialog, wxID_ANY, text, rect.GetPosition(), rect.GetSize());
        case ControlKind::kStaticText:
            return new wxStaticText(dialog, wxID_ANY, text, rect.GetPosition(), rect.GetSize(),
                                    wxST_NO_AUTORESIZE);
        case ControlKind::kIcon: {
            const wxIcon icon = AppIcons().GetIcon(kIconPixels);
            return new wxStaticBitmap(dialog, wxID_ANY, icon, rect.GetPosition(),
                                      wxSize(kIconPixels, kIconPixels));
        }
        case ControlKind::kPicture:
            return new wxStaticBitmap(dialog, wxID_ANY, wxNullBitmap, rect.GetPosition(),
                                      rect.GetSize());
        case ControlKind::kDropDownList: {
            // The template's height includes the drop-down part; the closed list takes its own.
            auto* list = new wxChoice(dialog, wxID_ANY, rect.GetPosition());
            list->SetSize(rect.GetWidth(), list->GetBestSize().GetHeight());
            return list;
        }
        case ControlKind::kProgressBar:
            return new wxGauge(dialog, wxID_ANY, 100, rect.GetPosition(), rect.GetSize(),
                               wxGA_HORIZONTAL | wxGA_SMOOTH);
        case ControlKind::kEdit: {
            const long readOnly = (control.style & kEsReadOnly) != 0 ? wxTE_READONLY : 0;
            return new wxTextCtrl(dialog, wxID_ANY, text, rect.GetPosition(), rect.GetSize(),
                                  readOnly);
        }
    }
    return nullptr;
}

}  // namespace

ControlKind KindOf(const res::ControlTemplate& control) {
    if (ClassIs(control.className, "BUTTON")) {
        return (control.style & kButtonTypeMask) == kBsDefPushButton ? ControlKind::kDefaultButton
                                                                     : ControlKind::kPushButton;
    }
    if (ClassIs(control.className, "COMBOBOX")) {
        return ControlKind::kDropDownList;
    }
    if (ClassIs(control.className, "msctls_progress32")) {
        return ControlKind::kProgressBar;
    }
    if (ClassIs(control.className, "EDIT")) {
        return ControlKind::kEdit;
    }
    if (control.iconId != 0 || (control.style & kStaticTypeMask) == kSsIcon) {
        return ControlKind::kIcon;
    }
    if ((control.style & kStaticTypeMask) == kSsBitmap) {
        return ControlKind::kPicture;
    }
    return ControlKind::kStaticText;
}

wxFont DialogFont(const res::DialogTemplate& layout) {
    const wxString face = FromBytes(layout.fontName);
    if (!face.empty() && wxFontEnumerator::IsValidFacename(face)) {
        return wxFont(wxFontInfo(layout.fontPoints).FaceName(face));
    }
    wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    font.SetPointSize(layout.fontPoints);
    return font;
}

long DialogWindowStyle(const res::DialogTemplate& layout) {
    long style = 0;
    if ((layout.style & kWsCaption) == kWsCaption) {
        style |= wxCAPTION;
    }
    if ((layout.style & kWsSysMenu) != 0) {
        style |= wxSYSTEM_MENU | wxCLOSE_BOX;
    }
    if ((layout.style & kWsMinimizeBox) != 0) {
        style |= wxMINIMIZE_BOX;
    }
    if ((layout.style & kWsMaximizeBox) != 0) {
        style |= wxMAXIMIZE_BOX;
    }
    if ((layout.style & kWsThickFrame) != 0) {
        style |= wxRESIZE_BORDER;
    }
    return style;
}

wxSize DialogClientSize(const wxWindow& dialog, const res::DialogTemplate& layout) {
    return dialog.ConvertDialogToPixels(wxSize(layout.width, layout.height));
}

wxWindow* CreateControl(wxWindow* dialog, const res::ControlTemplate& control) {
    wxWindow* widget = MakeWidget(dialog, control, PixelRect(*dialog, control));
    if ((control.style & kWsDisabled) != 0) {
        widget->Disable();
    }
    if ((control.style & kWsVisible) == 0) {
        widget->Hide();
    }
    return widget;
}

}  // namespace kt73b::ui
