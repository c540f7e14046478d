#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/headless/headless_backend.h"
#include "resources/ui/resource_ids.h"

namespace kt73b::ui {
namespace {

using namespace std::chrono_literals;
constexpr auto kWait = 5s;

// A dialog on the main template whose worker threads write a control, as the update does.
class ProbeDialog : public Dialog {
  public:
    ProbeDialog() : Dialog(IDD_UPDATER_DIALOG) {}
    bool OnInitDialog() override {
        status.Bind(this, IDC_STATUS_LINE);
        status.SetWindowText("ready");
        return true;
    }
    void OnDestroy() override { destroyed = true; }

    Edit status;
    std::atomic<bool> destroyed{false};
};

class DialogFramework : public ::testing::Test {
  protected:
    void SetUp() override { SetBackend(&backend_); }
    void TearDown() override {
        if (dialogThread_.joinable()) {
            backend_.CloseWindow(IDD_UPDATER_DIALOG);
            dialogThread_.join();
        }
        SetBackend(nullptr);
    }
    void Open() {
        dialogThread_ = std::thread([this] { result_ = dialog_.DoModal(); });
        ASSERT_TRUE(backend_.WaitUntil(
            [](const HeadlessBackend& b) {
                const auto* w = b.FindWindowLocked(IDD_UPDATER_DIALOG);
                return w != nullptr && w->controls.at(IDC_STATUS_LINE).text == "ready";
            },
            kWait));
    }

    HeadlessBackend backend_;
    ProbeDialog dialog_;
    std::thread dialogThread_;
    int result_ = 0;
};

TEST_F(DialogFramework, WorkerMessageBoxIsDismissedWhenTheWindowCloses) {
    backend_.SetBoxPolicy(HeadlessBackend::BoxPolicy::kHoldUntilDismissed);
    Open();
    std::atomic<bool> boxReturned{false};
    std::thread worker([&] {
        dialog_.MessageBox("Time out error(1)", "Error", kMbOk | kMbIconError);
        boxReturned = true;
        dialog_.status.SetWindowText("after the box");  // the window is gone by now
    });
    ASSERT_TRUE(backend_.WaitUntil(
        [](const HeadlessBackend& b) { return !b.BoxesLocked().empty(); }, kWait));
    EXPECT_FALSE(boxReturned);
    // Escape goes to the box, not to the dialog; closing the window takes the box with it.
    backend_.PressEscape(IDD_UPDATER_DIALOG);
    backend_.CloseWindow(IDD_UPDATER_DIALOG);
    worker.join();
    dialogThread_.join();
    EXPECT_TRUE(boxReturned);
    EXPECT_EQ(backend_.MessageBoxes().size(), 1u);
}

// Calls from other threads run on the dialog's; calls racing the close all return; once the
// window is gone they are dropped, not blocked.
TEST_F(DialogFramework, CallsRunOnTheDialogThreadAndWhenTheWindowClosesReturnAndAreDropped) {
    Open();
    std::thread::id ranOn;
    std::thread caller([&] {
        dialog_.OnDialogThread([&](WindowHost& host) {
            ranOn = std::this_thread::get_id();
            host.SetControlText(IDC_STATUS_LINE, "from worker");
        });
    });
    caller.join();
    EXPECT_EQ(ranOn, dialogThread_.get_id());
    EXPECT_EQ(backend_.ControlState(IDD_UPDATER_DIALOG, IDC_STATUS_LINE)->text, "from worker");
    std::atomic<bool> stop{false};
    std::vector<std::thread> workers;
    for (int i = 0; i < 4; ++i) {
        workers.emplace_back([&] {
            while (!stop) {
                dialog_.status.SetWindowText("busy");
            }
        });
    }
    EXPECT_TRUE(backend_.WaitUntil(
        [](const HeadlessBackend& b) {
            return b.FindWindowLocked(IDD_UPDATER_DIALOG)->controls.at(IDC_STATUS_LINE).text ==
                   "busy";
        },
        kWait));
    backend_.PressEscape(IDD_UPDATER_DIALOG);
    dialogThread_.join();
    stop = true;
    for (auto& worker : workers) {
        worker.join();
    }
    EXPECT_EQ(result_, kIdCancel);
    EXPECT_TRUE(dialog_.destroyed);
    bool ran = true;
    std::thread worker([&] { ran = dialog_.OnDialogThread([](WindowHost&) {}); });
    worker.join();
    EXPECT_FALSE(ran);
    dialog_.status.SetWindowText("ignored");
    EXPECT_EQ(dialog_.status.GetWindowText(), "");
}

}  // namespace
}  // namespace kt73b::ui
