// The GUI tests' process-wide set-up: an X display and wxWidgets started once, before the first
// test, on the main thread, which is then the GUI thread.
#pragma once

#include <string>

namespace kt73b::testing {

// Empty when the GUI is up; otherwise why not, for GTEST_SKIP.
const std::string& GuiUnavailableReason();

}  // namespace kt73b::testing
