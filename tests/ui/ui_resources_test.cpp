#include "resources/ui/ui_resources.h"

#include <gtest/gtest.h>

namespace kt73b::res {
namespace {

TEST(UiResources, StringTableTextsExactly) {
    EXPECT_EQ(LoadString(IDS_DATA_TRANSMIT), "Data transmit  %d / %d ");
    EXPECT_EQ(LoadString(IDS_ABOUTBOX), "About KT-73B Updater(&A)...");
    EXPECT_EQ(LoadString(IDS_ERROR_CAPTION), "Error");
    EXPECT_EQ(LoadString(112), "");  // no entry of that id
}

TEST(UiResources, MainDialogTemplateInTabOrder) {
    const DialogTemplate* main = FindDialogTemplate(IDD_UPDATER_DIALOG);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->style, 0x90C800C0u);
    EXPECT_EQ(main->extendedStyle, 0x40000u);
    EXPECT_EQ(main->width, 239);
    EXPECT_EQ(main->height, 161);
    ASSERT_EQ(main->controls.size(), 11u);
    EXPECT_EQ(main->controls.front().id, kIdOk);
    EXPECT_EQ(main->controls.front().text, "Execute");
    EXPECT_EQ(main->controls[6].className, "msctls_progress32");
    EXPECT_EQ(main->controls.back().id, IDC_STEP_COUNTER);
}

TEST(UiResources, AboutDialogTemplateWithItsIcon) {
    const DialogTemplate* about = FindDialogTemplate(IDD_ABOUTBOX);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->caption, "About KT-73B Updater");
    ASSERT_EQ(about->controls.size(), 4u);
    EXPECT_EQ(about->controls[0].iconId, IDR_MAINFRAME);
    EXPECT_EQ(about->controls[0].style, 0x50000003u);
    EXPECT_EQ(about->controls[3].id, IDC_ABOUT_VERSION);
    EXPECT_EQ(FindDialogTemplate(101), nullptr);
}

}  // namespace
}  // namespace kt73b::res
