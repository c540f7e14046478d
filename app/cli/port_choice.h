// Which entry of a port list an update uses: the one the user named, by position or by exact
// name, or else the one the program chose itself; and, when there is none, a message that names
// the ports there are.
#pragma once

#include <optional>
#include <span>
#include <string>

namespace kt73b::cli {

enum class PortDirection { kInput, kOutput };

struct PortChoice {
    int position = -1;  // -1: no port, and `error` says why
    std::string error;
};

// `wanted` of digits alone is a position, anything else a name compared byte for byte. Without
// it, `fallback` is used (-1 when the program found none).
PortChoice ChoosePort(std::span<const std::string> names, const std::optional<std::string>& wanted,
                      int fallback, PortDirection direction);

// "  0  name" for each entry, one to a line, for --list and for messages; the entry at `marked`
// followed by "  (default)".
std::string ListPorts(std::span<const std::string> names, int marked = -1);

}  // namespace kt73b::cli
