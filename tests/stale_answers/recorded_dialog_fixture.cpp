#include "recorded_dialog_fixture.h"

#include <chrono>

#include "app/model_byte.h"
#include "resources/ui/resource_ids.h"
#include "tests/dialog/fast_timings.h"
#include "tests/midi/recording_winmm.h"

namespace kt73b::testing {

namespace {

using namespace std::chrono_literals;

constexpr auto kBound = 10s;  // for waits on other threads; never a measure of speed

// No wait of the run ends by itself while the test takes its time.
UpdateTimings TestTimings() {
    UpdateTimings t = FastTimings();
    t.identityTimeout = t.eraseTimeout = t.writeTimeout = t.finishTimeout = 60s;
    t.dispatchOnArrival = false;  // the test's Tick is the only receive side
    return t;
}

}  // namespace

void RecordedDialogTest::SetUp() {
    auto& winmm = RecordingWinmm::Instance();
    winmm.Reset();
    winmm.SetDeviceNames({"VELK KT Series"}, {"VELK KT Series"});
    winmm.SetOutputCompletesAtOnce(true);
    winmm.SetLongMsgHook([this](MIDIHDR* header) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(header->lpData);
        {
            std::lock_guard lock(sentMutex_);
            sent_.emplace_back(bytes, bytes + header->dwBufferLength);
        }
        sentChanged_.notify_all();
    });
    ui::SetBackend(&backend_);
    SetModelByte(0x57);
    SetHostIdentityFamily(0);
    dialog_ = std::make_unique<CTn8UpdatorDlg>(1, TestTimings());
    dialogThread_ = std::thread([this] { dialog_->DoModal(); });
    ASSERT_TRUE(backend_.WaitUntil(
        [](const ui::HeadlessBackend& b) {
            const auto* window = b.FindWindowLocked(IDD_UPDATER_DIALOG);
            return window != nullptr && !window->title.empty();
        },
        kBound));
}

void RecordedDialogTest::TearDown() {
    backend_.CloseWindow(IDD_UPDATER_DIALOG);
    if (dialogThread_.joinable()) {
        dialogThread_.join();
    }
    dialog_.reset();  // joins the worker
    ui::SetBackend(nullptr);
    RecordingWinmm::Instance().SetLongMsgHook(nullptr);
}

void RecordedDialogTest::Execute() {
    backend_.Click(IDD_UPDATER_DIALOG, ui::kIdOk);
}

Bytes RecordedDialogTest::NextSent(std::chrono::milliseconds bound) {
    std::unique_lock lock(sentMutex_);
    if (!sentChanged_.wait_for(lock, bound, [this] { return !sent_.empty(); })) {
        return {};
    }
    Bytes message = std::move(sent_.front());
    sent_.pop_front();
    return message;
}

void RecordedDialogTest::Queue(const Bytes& message) {
    ASSERT_TRUE(RecordingWinmm::Instance().ReturnInputBuffer(message));
}

void RecordedDialogTest::Tick() {
    auto& winmm = RecordingWinmm::Instance();
    winmm.TimerProcedure()(0, 0, winmm.TimerUser(), 0, 0);
}

Bytes IdentityReply(std::uint8_t model) {
    return {0xF0, 0x7E, 0x00, 0x06, 0x02, 0x52, model, 0x00,
            0x00, 0x00, 0x33, 0x30, 0x30, 0x30, 0xF7};
}

}  // namespace kt73b::testing
