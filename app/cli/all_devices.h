// kt73b-update --all: every device found is updated at once, each by a copy of this program
// that claims the device's instance number (so the model byte, the instance locks and the texts
// are exactly one copy's). The copies report their events as JSON lines; this process draws
// them, passes them on with --json, and ends with a summary table.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "app/cli/cli_options.h"
#include "app/failure_table.h"

namespace kt73b::cli {

struct AllOutput {
    using Sink = std::function<void(std::string_view)>;
    Sink json;              // the events and final objects, with --json
    Sink human;             // progress, summary and what went wrong
    bool terminal = false;  // `human` is a terminal: one line per device, redrawn in place
    int width = 80;
};

// `program` is this program's own file. Completed only when every device completed.
ExitStatus UpdateAllDevices(const CliOptions& options, const std::string& program,
                            const AllOutput& output);

}  // namespace kt73b::cli
