// The device's answers carry no request id, so an answer that reached the host before a request
// went out can never be that request's answer, however late the receive side takes it from the
// queue: a doubled answer, or one left over from the run before, must not move the run on.
// The dialog runs over the recording WinMM: the test sees each request as the worker sends it,
// queues the device's answers as a driver would and runs the receive side's tick itself.
#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <thread>

#include "app/model_byte.h"
#include "app/updater_dialog.h"
#include "platform/ui/headless/headless_backend.h"
#include "resources/ui/resource_ids.h"
#include "tests/dialog/fast_timings.h"
#include "tests/emulator/host_bytes.h"
#include "tests/midi/recording_winmm.h"

namespace kt73b::testing {
namespace {

using namespace std::chrono_literals;
using emu::testing::Answer;
using emu::testing::Bytes;

// A worker that took a stale answer would send its next request at once; correct code sends
// nothing, so this bound only limits how long the test looks (it can never fail correct code).
constexpr auto kWouldHaveMovedOn = 200ms;
const Bytes kIdentityRequest = emu::testing::IdentityRequest();
const Bytes kFirstErase = emu::testing::EraseRequest(0x040000, 0x0B0000);

Bytes IdentityReply(std::uint8_t model) {
    return {0xF0, 0x7E, 0x00, 0x06, 0x02, 0x52, model, 0x00,
            0x00, 0x00, 0x33, 0x30, 0x30, 0x30, 0xF7};
}

class StaleAnswers : public ::testing::Test {
  protected:
    void SetUp() override {
        winmm_.Reset();
        winmm_.Locked()->inputs = {"VELK KT Series"};
        winmm_.Locked()->outputs = {"VELK KT Series"};
        winmm_.SetLongMsgHook([this](MIDIHDR* header) {  // on the sending thread
            std::lock_guard lock(sentMutex_);
            sent_.emplace_back(header->lpData, header->lpData + header->dwBufferLength);
            sentChanged_.notify_all();
        });
        ui::SetBackend(&backend_);
        SetModelByte(0x57);
        SetHostIdentityFamily(0);
        UpdateTimings timings = FastTimings();  // no wait ends while the test takes its time
        timings.identityTimeout = timings.eraseTimeout = timings.writeTimeout = 60s;
        timings.dispatchOnArrival = false;  // the test's Tick is the only receive side
        dialog_ = std::make_unique<CTn8UpdatorDlg>(1, timings);
        dialogThread_ = std::thread([this] { dialog_->DoModal(); });
        ASSERT_TRUE(WaitForBoxes(0));
    }
    void TearDown() override {
        backend_.CloseWindow(IDD_UPDATER_DIALOG);
        dialogThread_.join();
        dialog_.reset();  // joins the worker
        ui::SetBackend(nullptr);
        winmm_.SetLongMsgHook(nullptr);
    }

    // The next message the host sends; empty when none comes within `bound`.
    Bytes NextSent(std::chrono::milliseconds bound = 10s) {
        std::unique_lock lock(sentMutex_);
        if (!sentChanged_.wait_for(lock, bound, [this] { return !sent_.empty(); })) {
            return {};
        }
        Bytes message = std::move(sent_.front());
        sent_.pop_front();
        return message;
    }
    // A message from the device, then one tick of the receive side, which takes every queued one.
    void Queue(const Bytes& message) { ASSERT_TRUE(winmm_.ReturnInputBuffer(message)); }
    void Tick() { winmm_.TimerProcedure()(0, 0, winmm_.TimerUser(), 0, 0); }
    // Once the window shows, after `count` message boxes, with the controls given back.
    bool WaitForBoxes(std::size_t count) {
        return backend_.WaitUntil(
            [count](const ui::HeadlessBackend& b) {
                const auto* window = b.FindWindowLocked(IDD_UPDATER_DIALOG);
                return b.BoxesLocked().size() == count && window != nullptr &&
                       !window->title.empty() && window->controls.at(IDC_RESCAN).enabled;
            },
            10s);
    }
    // Execute, and the identity answered: the run has sent its update-mode request.
    void RunUpToTheUpdateModeRequest() {
        backend_.Click(IDD_UPDATER_DIALOG, ui::kIdOk);
        ASSERT_EQ(NextSent(), kIdentityRequest);
        Queue(IdentityReply(0x57));
        Tick();
        ASSERT_EQ(NextSent(), emu::testing::UpdateModeRequest());
    }

    RecordingWinmm& winmm_ = RecordingWinmm::Instance();
    ui::HeadlessBackend backend_;
    std::unique_ptr<CTn8UpdatorDlg> dialog_;
    std::thread dialogThread_;
    std::mutex sentMutex_;
    std::condition_variable sentChanged_;
    std::deque<Bytes> sent_;  // the hook appends, the test takes
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
    ASSERT_EQ(NextSent(), kFirstErase);
    Tick();  // the copy leaves the queue only now, after the erase request went out
    EXPECT_EQ(NextSent(kWouldHaveMovedOn), Bytes{}) << "the copy counted for the erase request";
    Queue(Answer(1));
    Tick();
    EXPECT_EQ(NextSent(), kFirstErase);  // the refusal was its answer: the region goes out again
}

TEST_F(StaleAnswers, AnAnswerLeftFromTheRunBeforeIsNotTakenForTheIdentityRequest) {
    RunUpToTheUpdateModeRequest();
    Queue(Answer(11));
    Tick();
    ASSERT_TRUE(WaitForBoxes(1));
    Queue(Answer(0));  // the device answers once more, after the run has ended
    backend_.Click(IDD_UPDATER_DIALOG, ui::kIdOk);
    ASSERT_EQ(NextSent(), kIdentityRequest);
    Tick();  // taken from the queue after the Identity Request went out: dropped
    EXPECT_EQ(NextSent(kWouldHaveMovedOn), Bytes{}) << "the old answer counted for the identity";
    Queue(IdentityReply(0x59));
    Tick();
    ASSERT_TRUE(WaitForBoxes(2));
    EXPECT_EQ(backend_.MessageBoxes().back().text, "Illegal device connected.");
}

}  // namespace
}  // namespace kt73b::testing
