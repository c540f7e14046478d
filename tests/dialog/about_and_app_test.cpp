// The about box, and the application object's start-up with instance numbering.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <future>

#include "app/instance_numbering.h"
#include "app/updater_app.h"
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

class Application : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        locks_ = std::filesystem::current_path() / "locks";
        std::filesystem::create_directories(locks_);
        std::filesystem::permissions(locks_, std::filesystem::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", locks_.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("XDG_RUNTIME_DIR");
        DialogTest::TearDown();
    }
    std::filesystem::path locks_;
};

TEST_F(Application, SecondCopyTitlesItselfTwo) {
    os::InstanceLock first;
    ASSERT_EQ(ClaimInstanceNumber(first), 1);
    CTn8UpdatorApp app("Updater", FastTimings());
    auto run = std::async(std::launch::async, [&app] { return app.InitInstance(); });
    ASSERT_TRUE(backend_.WaitUntil(
        [](const ui::HeadlessBackend& b) {
            const auto* window = b.FindWindowLocked(IDD_UPDATER_DIALOG);
            return window != nullptr && window->title == "Velk KT-73B System v3.00 (2)";
        },
        kShortWait));
    EXPECT_EQ(app.GetInstanceNumber(), 2);
    backend_.PressEscape(IDD_UPDATER_DIALOG);
    ASSERT_EQ(run.wait_for(kShortWait), std::future_status::ready);
    EXPECT_EQ(run.get(), 0);
}

TEST_F(Application, TwentyFirstCopyIsRefusedWithoutADialog) {
    std::vector<std::unique_ptr<os::InstanceLock>> copies;
    for (int i = 1; i <= 20; ++i) {
        copies.push_back(std::make_unique<os::InstanceLock>());
        ASSERT_EQ(ClaimInstanceNumber(*copies.back()), i);
    }
    CTn8UpdatorApp app("Updater", FastTimings());
    EXPECT_EQ(app.InitInstance(), 0);
    EXPECT_EQ(app.GetInstanceNumber(), 0);
    const auto boxes = backend_.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              "It is forbidden to launch more than 20 instance of this application.");
    EXPECT_EQ(boxes[0].caption, "Updater");
    EXPECT_EQ(boxes[0].type, ui::kMbOk);
    EXPECT_EQ(boxes[0].ownerTemplate, 0);
}

}  // namespace
}  // namespace kt73b::testing
