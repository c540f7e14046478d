// Reads the resources of a module the way the system lays them out: extended dialog templates,
// string-table blocks, icon groups and the languages each resource exists in. Every read is
// bounded by the resource's size.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/ui/win32/windows_api.h"

namespace kt73b::testing {

// A name or an id, as templates store their menu, class and text fields.
struct NameOrOrdinal {
    std::string name;
    int ordinal = -1;  // >= 0 when the field holds a number
};

struct ControlResource {
    std::uint32_t helpId, extendedStyle, style;
    int x, y, width, height;
    std::int32_t id;
    NameOrOrdinal className;
    NameOrOrdinal text;
    std::uint16_t extraBytes;
};

struct DialogResource {
    std::uint16_t version, signature;
    std::uint32_t helpId, extendedStyle, style;
    int x, y, width, height;
    NameOrOrdinal menu;
    NameOrOrdinal windowClass;
    std::string caption;
    int fontPoints = 0, fontWeight = 0, fontItalic = 0, fontCharset = 0;
    std::string fontName;
    std::vector<ControlResource> controls;
};

struct IconGroupEntry {
    int width, height, colorCount, planes, bitCount;
    std::uint32_t bytes;
    int iconId;
};

// The bytes of resource `name` of `type` in `language`; empty when there is none.
std::span<const std::uint8_t> ResourceBytes(HMODULE module, LPCSTR type, LPCSTR name,
                                            WORD language);

// The languages resource `name` of `type` exists in.
std::vector<WORD> ResourceLanguages(HMODULE module, LPCSTR type, LPCSTR name);

// The numeric names of every resource of `type`.
std::vector<int> ResourceIds(HMODULE module, LPCSTR type);

std::optional<DialogResource> ReadDialog(std::span<const std::uint8_t> bytes);

// The sixteen strings of one string-table block (ids 16 * (block - 1) and up); empty ones too.
std::optional<std::vector<std::string>> ReadStringBlock(std::span<const std::uint8_t> bytes);

std::optional<std::vector<IconGroupEntry>> ReadIconGroup(std::span<const std::uint8_t> bytes);

// The name of a predefined control class by its ordinal (0x80 "BUTTON" ... 0x85 "COMBOBOX").
std::string PredefinedClassName(int ordinal);

}  // namespace kt73b::testing
