// Texts cross into wx as byte strings: device names and our strings are UTF-8 on Linux, and a
// name that is not valid UTF-8 is shown byte for byte as Latin-1 rather than as nothing.
#pragma once

#include <wx/string.h>

#include <string>
#include <string_view>

namespace kt73b::ui {

inline wxString FromBytes(std::string_view bytes) {
    if (bytes.empty()) {
        return {};
    }
    wxString text = wxString::FromUTF8(bytes.data(), bytes.size());
    if (text.empty()) {
        text = wxString(bytes.data(), wxConvISO8859_1, bytes.size());
    }
    return text;
}

inline std::string ToBytes(const wxString& text) {
    const wxScopedCharBuffer utf8 = text.utf8_str();
    return std::string(utf8.data(), utf8.length());
}

}  // namespace kt73b::ui
