// The old name of tests/support's process and folder helpers, for tests/cli until it includes
// tests/support/child_process.h and tests/support/temp_dir.h itself.
#pragma once

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace kt73b::emu::testing {
using kt73b::testing::ChildProcess;
using kt73b::testing::ReadFile;
using kt73b::testing::TempDir;
}  // namespace kt73b::emu::testing
