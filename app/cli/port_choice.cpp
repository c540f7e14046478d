#include "app/cli/port_choice.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace kt73b::cli {

namespace {

std::optional<int> PositionOf(const std::string& wanted) {
    if (wanted.empty() || !std::all_of(wanted.begin(), wanted.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c)) != 0;
        })) {
        return std::nullopt;
    }
    int position = 0;
    const auto [end, error] =
        std::from_chars(wanted.data(), wanted.data() + wanted.size(), position);
    // Too many digits for any list: a position no list has.
    if (error != std::errc{} || end != wanted.data() + wanted.size()) {
        return -1;
    }
    return position;
}

std::string Failure(std::span<const std::string> names, PortDirection direction,
                    const std::string& what) {
    const bool input = direction == PortDirection::kInput;
    const std::string kind = input ? "MIDI input" : "MIDI output";
    const std::string option = input ? "--in" : "--out";
    if (names.empty()) {
        return "there is no " + kind + " at all.";
    }
    return what + ". The " + kind + "s are:\n" + ListPorts(names) + "Choose one with " + option +
           ", by its position or its exact name.";
}

}  // namespace

PortChoice ChoosePort(std::span<const std::string> names, const std::optional<std::string>& wanted,
                      int fallback, PortDirection direction) {
    const std::string kind = direction == PortDirection::kInput ? "MIDI input" : "MIDI output";
    const int count = static_cast<int>(names.size());
    if (!wanted) {
        if (fallback >= 0 && fallback < count) {
            return {fallback, ""};
        }
        return {-1,
                Failure(names, direction, "no " + kind + " has a name the KT-73B's ports have")};
    }
    if (const std::optional<int> position = PositionOf(*wanted)) {
        if (*position >= 0 && *position < count) {
            return {*position, ""};
        }
        return {-1, Failure(names, direction, "there is no " + kind + " at position " + *wanted)};
    }
    const auto named = std::find(names.begin(), names.end(), *wanted);
    if (named != names.end()) {
        return {static_cast<int>(named - names.begin()), ""};
    }
    return {-1, Failure(names, direction, "no " + kind + " is named \"" + *wanted + "\"")};
}

std::string ListPorts(std::span<const std::string> names, int marked) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        text += "  " + std::to_string(i) + "  " + names[i];
        text += static_cast<int>(i) == marked ? "  (default)\n" : "\n";
    }
    return text;
}

}  // namespace kt73b::cli
