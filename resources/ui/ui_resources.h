// The string table and the dialog templates as C++ data, built from the same definition files
// the Windows resource script reads, so no text or layout is written twice.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "resources/ui/resource_ids.h"

namespace kt73b::res {

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// The texts that are fixed rather than string-table entries.
inline constexpr const char* kVersionText = "Velk KT-73B System v3.00";
inline constexpr const char* kInstanceTitleFormat = "Velk KT-73B System v3.00 (%d)";

// The string with `id`, or an empty view when the table has none.
std::string_view LoadString(int id);

struct ControlTemplate {
    std::string_view text;  // empty for icon controls
    int id;
    std::string_view className;
    std::uint32_t style;
    int x, y, width, height;  // dialog units
    int iconId;               // icon resource of an icon static, else 0
};

struct DialogTemplate {
    int id;
    std::uint32_t style;
    std::uint32_t extendedStyle;
    int x, y, width, height;
    std::string_view caption;
    std::string_view fontName;
    int fontPoints;
    std::span<const ControlTemplate> controls;
};

// The template with `id`, or nullptr.
const DialogTemplate* FindDialogTemplate(int id);

}  // namespace kt73b::res
