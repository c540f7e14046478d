// Runs a console program of ours to its end with its output captured, as a script would.
#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace kt73b::testing {

struct ProgramResult {
    unsigned exitCode = 0;
    std::string output;  // standard output and standard error, in the order written
};

// Nothing when the program could not be started or had not ended within `bound` (it is then
// ended by force).
std::optional<ProgramResult> RunToEnd(const std::string& program, const std::string& arguments,
                                      std::chrono::milliseconds bound);

}  // namespace kt73b::testing
