// Closing the dialog while a run waits, pauses or shows a message box: the worker ends at once,
// shows nothing more and logs nothing more, and the dialog goes away cleanly.
#include <gtest/gtest.h>

#include <future>

#include "dialog_fixture.h"

namespace kt73b::testing {
namespace {

using emu::RequestKind;

// Time-outs and pauses far longer than any test waits: only the closing can end them.
UpdateTimings SlowTimings() {
    UpdateTimings timings = FastTimings();
    timings.identityTimeout = 60s;
    timings.eraseTimeout = 60s;
    timings.writeTimeout = 60s;
    timings.finishTimeout = 60s;
    timings.retryPause = 60s;
    return timings;
}

class Closing : public DialogTest {
  protected:
    void StartRun(const std::string& faults) {
        CreateLogFile();
        StartDevice(faults);
        OpenDialog(1, SlowTimings());
        Execute();
    }
    bool WaitForRequests(RequestKind kind, std::uint32_t count) {
        for (auto end = std::chrono::steady_clock::now() + kShortWait;
             std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(1ms)) {
            if (RequestCount(kind) >= count)
                return true;
        }
        return false;
    }
    // Closes the window and destroys the dialog, which joins the worker; bounded.
    void CloseAndExpectTheWorkerToEnd() {
        auto closed = std::async(std::launch::async, [this] { CloseDialog(); });
        ASSERT_EQ(closed.wait_for(kShortWait), std::future_status::ready)
            << "the worker did not end after the dialog closed";
        EXPECT_FALSE(backend_.IsOpen(IDD_UPDATER_DIALOG));
        EXPECT_TRUE(LogTexts().empty());
    }
};

TEST_F(Closing, DuringTheIdentityWait) {
    StartRun("identity=ignore");
    ASSERT_TRUE(WaitForRequests(RequestKind::kIdentity, 1));
    CloseAndExpectTheWorkerToEnd();
    EXPECT_TRUE(backend_.MessageBoxes().empty());
}

TEST_F(Closing, DuringTheUnboundedUpdateModeWait) {
    StartRun("update-mode=ignore");
    ASSERT_TRUE(WaitForStatus("Erasing Flash memory."));
    CloseAndExpectTheWorkerToEnd();
    EXPECT_TRUE(backend_.MessageBoxes().empty());
    EXPECT_EQ(RequestCount(RequestKind::kErase), 0u);
}

TEST_F(Closing, DuringAnEraseWait) {
    StartRun("erase#1=ignore");
    ASSERT_TRUE(WaitForRequests(RequestKind::kErase, 1));
    CloseAndExpectTheWorkerToEnd();
    EXPECT_EQ(RequestCount(RequestKind::kErase), 1u);
}

TEST_F(Closing, DuringAWriteWait) {
    StartRun("write#3=ignore");
    ASSERT_TRUE(WaitForRequests(RequestKind::kWrite, 3));
    CloseAndExpectTheWorkerToEnd();
    EXPECT_EQ(RequestCount(RequestKind::kWrite), 3u);
    EXPECT_TRUE(backend_.MessageBoxes().empty());
}

TEST_F(Closing, DuringTheRetryPause) {
    StartRun("erase=status:1");
    ASSERT_TRUE(WaitForRequests(RequestKind::kErase, 1));
    CloseAndExpectTheWorkerToEnd();
    EXPECT_EQ(RequestCount(RequestKind::kErase), 1u);  // no re-send after the pause was cut
}

TEST_F(Closing, WhileTheWorkerShowsAMessageBox) {
    backend_.SetBoxPolicy(ui::HeadlessBackend::BoxPolicy::kHoldUntilDismissed);
    CreateLogFile();
    StartDevice("identity=status:5");
    OpenDialog(1, SlowTimings());
    Execute();
    ASSERT_TRUE(WaitForBoxes(1));
    // The log line came before the box; the box goes with the window and nothing follows it.
    EXPECT_EQ(LogTexts(), std::vector<std::string>{"Illegal device connected."});
    auto closed = std::async(std::launch::async, [this] { CloseDialog(); });
    ASSERT_EQ(closed.wait_for(kShortWait), std::future_status::ready);
    EXPECT_EQ(backend_.MessageBoxes().size(), 1u);
    EXPECT_EQ(LogTexts(), std::vector<std::string>{"Illegal device connected."});
}

}  // namespace
}  // namespace kt73b::testing
