// The about box, opened from the system menu and closed by OK or Escape.
#include <gtest/gtest.h>

#include "dialog_fixture.h"

namespace kt73b::testing {
namespace {

bool AboutClosed(const ui::HeadlessBackend& b) {
    return b.FindWindowLocked(IDD_ABOUTBOX) == nullptr;
}

bool AboutShowsVersion(const ui::HeadlessBackend& b) {
    const auto* about = b.FindWindowLocked(IDD_ABOUTBOX);
    return about != nullptr &&
           about->controls.at(IDC_ABOUT_VERSION).text == "Velk KT-73B System v3.00";
}

// Had the other command opened a box, the first one closed would leave it open.
TEST_F(DialogTest, AboutBoxOpensForTheAboutCommandWhateverItsLowBits) {
    OpenDialog();
    backend_.SysCommand(IDD_UPDATER_DIALOG, 0x0020);
    for (unsigned command : {0x0010u, 0x001Fu}) {
        backend_.SysCommand(IDD_UPDATER_DIALOG, command);
        ASSERT_TRUE(backend_.WaitUntil(AboutShowsVersion, kShortWait)) << command;
        EXPECT_EQ(*backend_.Title(IDD_ABOUTBOX), "About KT-73B Updater");
        if (command == 0x0010u) {
            backend_.Click(IDD_ABOUTBOX, ui::kIdOk);
        } else {
            backend_.PressEscape(IDD_ABOUTBOX);
        }
        ASSERT_TRUE(backend_.WaitUntil(AboutClosed, kShortWait)) << command;
    }
}

}  // namespace
}  // namespace kt73b::testing
