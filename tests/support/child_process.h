// The tests start their programs (servers, peers, programs under test) with the runner
// kt73b-update starts its copies with.
#pragma once

#include "app/cli/child_process.h"

namespace kt73b::testing {

using cli::ChildProcess;
using cli::FindOnPath;

}  // namespace kt73b::testing
