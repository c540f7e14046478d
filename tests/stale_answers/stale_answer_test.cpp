// The device's answers carry no request id, so an answer that reached the host before a request
// went out can never be that request's answer, however late the receive side takes it from the
// queue: a doubled answer, or one left over from the run before, must not move the run on.
#include <gtest/gtest.h>

#include <future>

#include "recorded_dialog_fixture.h"
#include "resources/ui/resource_ids.h"
#include "tests/emulator/host_bytes.h"

namespace kt73b::testing {
namespace {

using namespace std::chrono_literals;

// A worker that took a stale answer would send its next request at once; correct code sends
// nothing, so this bound only limits how long the test looks (it can never fail correct code).
constexpr auto kWouldHaveMovedOn = 200ms;

using emu::testing::Answer;
using emu::testing::EraseRequest;
using emu::testing::IdentityRequest;

class StaleAnswers : public RecordedDialogTest {
  protected:
    // Identity and update mode answered: the run has sent its first erase request.
    void RunUpToTheUpdateModeRequest() {
        Execute();
        ASSERT_EQ(NextSent(), IdentityRequest());
        Queue(IdentityReply(0x57));
        Tick();
        ASSERT_EQ(NextSent(), emu::testing::UpdateModeRequest());
    }
    bool WaitForBoxesAndRestore(std::size_t boxes) {
        return backend_.WaitUntil(
            [boxes](const ui::HeadlessBackend& b) {
                const auto* window = b.FindWindowLocked(IDD_UPDATER_DIALOG);
                return b.BoxesLocked().size() == boxes && window != nullptr &&
                       window->controls.at(IDC_RESCAN).enabled;
            },
            10s);
    }
};

TEST_F(StaleAnswers, ADoubledAnswerTakenAfterTheNextRequestWentOutDoesNotCountForIt) {
    RunUpToTheUpdateModeRequest();
    {
        // The dialog's thread is held, so the worker takes the answer and stops at its next
        // control call; the copy is queued before the first erase request goes out.
        std::promise<void> holding;
        std::promise<void> release;
        const auto hold = std::async(std::launch::async, [&] {
            dialog_->OnDialogThread([&](ui::WindowHost&) {
                holding.set_value();
                release.get_future().wait();
            });
        });
        holding.get_future().wait();
        Queue(Answer(0));
        Tick();
        Queue(Answer(0));
        release.set_value();
    }
    const Bytes firstErase = EraseRequest(0x040000, 0x0B0000);
    ASSERT_EQ(NextSent(), firstErase);
    Tick();  // the copy leaves the queue only now, after the erase request went out
    EXPECT_EQ(NextSent(kWouldHaveMovedOn), Bytes{}) << "the copy counted for the erase request";
    Queue(Answer(1));
    Tick();
    // The refusal was the erase request's answer: the same region is erased again.
    EXPECT_EQ(NextSent(), firstErase);
}

TEST_F(StaleAnswers, AnAnswerLeftFromTheRunBeforeIsNotTakenForTheIdentityRequest) {
    RunUpToTheUpdateModeRequest();
    Queue(Answer(11));
    Tick();
    ASSERT_TRUE(WaitForBoxesAndRestore(1));

    Queue(Answer(0));  // the device answers once more, after the run has ended
    Execute();
    ASSERT_EQ(NextSent(), IdentityRequest());
    Tick();  // taken from the queue after the Identity Request went out: dropped
    EXPECT_EQ(NextSent(kWouldHaveMovedOn), Bytes{}) << "the old answer counted for the identity";
    Queue(IdentityReply(0x59));
    Tick();
    ASSERT_TRUE(WaitForBoxesAndRestore(2));
    EXPECT_EQ(backend_.MessageBoxes().back().text, "Illegal device connected.");
}

}  // namespace
}  // namespace kt73b::testing
