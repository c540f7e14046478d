// Reads the dialog templates of a module the way the system lays them out (extended templates).
// Every read is bounded by the resource's size.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/ui/win32/windows_api.h"

namespace kt73b::testing {

// A name or an id, as templates store their class and text fields.
struct NameOrOrdinal {
    std::string name;
    int ordinal = -1;  // >= 0 when the field holds a number
};

struct ControlResource {
    std::uint32_t style;
    int x, y, width, height;
    std::int32_t id;
    NameOrOrdinal className;
    NameOrOrdinal text;
};

struct DialogResource {
    std::uint32_t extendedStyle, style;
    int x, y, width, height;
    std::string caption;
    int fontPoints = 0;
    std::string fontName;
    std::vector<ControlResource> controls;
};

// The bytes of resource `name` of `type`, found as the program finds it; empty when there is none.
std::span<const std::uint8_t> ResourceBytes(HMODULE module, LPCSTR type, LPCSTR name);

std::optional<DialogResource> ReadDialog(std::span<const std::uint8_t> bytes);

}  // namespace kt73b::testing
