// Fault scripts by name, for demonstrations and quick checks: each shows one way an update can
// fail or recover.
#pragma once

#include <span>
#include <string_view>

namespace kt73b::emu {

struct NamedFaultScript {
    std::string_view name;
    std::string_view rules;        // in the syntax of fault_script_parser.h
    std::string_view description;  // what the host should see
};

std::span<const NamedFaultScript> NamedFaultScripts();

// Null when no script has that name.
const NamedFaultScript* FindNamedFaultScript(std::string_view name);

}  // namespace kt73b::emu
