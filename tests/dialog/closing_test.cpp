// Closing the dialog while a run waits, pauses or shows a message box: the worker ends at once,
// shows nothing more and logs nothing more, and the dialog goes away cleanly.
#include <future>

#include "dialog_fixture.h"

namespace kt73b::testing {
namespace {

using emu::RequestKind;

class Closing : public DialogTest {
  protected:
    void StartRun(const std::string& faults) {
        CreateLogFile();
        StartDevice(faults);
        // Time-outs and pauses far longer than any test waits: only the closing can end them.
        UpdateTimings t = FastTimings();
        t.identityTimeout = t.eraseTimeout = t.writeTimeout = t.finishTimeout = t.retryPause = 60s;
        OpenDialog(1, t);
        Execute();
    }
    // Closes the window and destroys the dialog, which joins the worker; bounded. The log then
    // holds `lines` alone.
    void CloseAndExpectTheWorkerToEnd(const std::vector<std::string>& lines = {}) {
        auto closed = std::async(std::launch::async, [this] { CloseDialog(); });
        ASSERT_EQ(closed.wait_for(kShortWait), std::future_status::ready)
            << "the worker did not end after the dialog closed";
        EXPECT_FALSE(backend_.IsOpen(IDD_UPDATER_DIALOG));
        EXPECT_EQ(LogTexts(), lines);
    }
};

// A run held in one wait or pause: the request it waits on has gone out `sent` times, and closing
// must end it without a box and without sending that request again.
struct HeldRun {
    const char* name;
    const char* faults;
    RequestKind request;
    std::uint32_t sent;
};

const HeldRun kHeldRuns[] = {
    {"IdentityWait", "identity=ignore", RequestKind::kIdentity, 1},
    {"UnboundedUpdateModeWait", "update-mode=ignore", RequestKind::kUpdateMode, 1},
    {"WriteWait", "write#3=ignore", RequestKind::kWrite, 3},
    {"RetryPause", "erase=status:1", RequestKind::kErase, 1},
};

class ClosingDuring : public Closing, public ::testing::WithParamInterface<HeldRun> {};

TEST_P(ClosingDuring, EndsTheWorkerWithoutABoxOrAnotherSend) {
    const HeldRun& run = GetParam();
    StartRun(run.faults);
    ASSERT_TRUE(WaitForRequests(run.request, run.sent));
    CloseAndExpectTheWorkerToEnd();
    EXPECT_TRUE(backend_.MessageBoxes().empty());
    EXPECT_EQ(RequestCount(run.request), run.sent);
    EXPECT_EQ(RequestCount(RequestKind::kFinish), 0u);
}

INSTANTIATE_TEST_SUITE_P(Runs, ClosingDuring, ::testing::ValuesIn(kHeldRuns),
                         [](const auto& run) { return std::string(run.param.name); });

TEST_F(Closing, WhileTheWorkerShowsAMessageBox) {
    backend_.SetBoxPolicy(ui::HeadlessBackend::BoxPolicy::kHoldUntilDismissed);
    StartRun("identity=status:5");
    ASSERT_TRUE(WaitForBoxes(1));
    // The log line came before the box; the box goes with the window and nothing follows it.
    EXPECT_EQ(LogTexts(), std::vector<std::string>{"Illegal device connected."});
    CloseAndExpectTheWorkerToEnd({"Illegal device connected."});
    EXPECT_EQ(backend_.MessageBoxes().size(), 1u);
}

}  // namespace
}  // namespace kt73b::testing
