// The terminal back end's Windows console check: output to a file is no terminal.
#include <gtest/gtest.h>

#include "platform/ui/terminal/console.h"

namespace kt73b::testing {
namespace {

TEST(TerminalWin32, Console_OutputToAFileIsNoTerminal) {
    // scripts/wine-run sends the output of this program to a file.
    EXPECT_FALSE(ui::StandardOutputConsole().terminal);
}

}  // namespace
}  // namespace kt73b::testing
