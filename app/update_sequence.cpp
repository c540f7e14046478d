// One update run on its worker thread: identify the device, check its model, enter update mode,
// erase and write the three regions in step-table order, then tell the device it is done.
#include <algorithm>
#include <cstdio>
#include <span>

#include "app/append_log.h"
#include "app/log_messages.h"
#include "app/model_byte.h"
#include "app/updater_dialog.h"
#include "engine/image_set.h"
#include "engine/outbound_messages.h"
#include "engine/step_table.h"
#include "resources/ui/ui_resources.h"

namespace kt73b {

namespace {
constexpr int kMaxSends = 7;  // a request goes out once and is re-sent six times at most
constexpr int kEraseProgressSent = 1;
constexpr int kEraseProgressDone = 10;
constexpr int kOk = 0;
constexpr int kFailed = -1;
}  // namespace

unsigned CTn8UpdatorDlg::UpdateWorker(CTn8UpdatorDlg* dialog) {
    dialog->SetStepCounter(0);
    if (dialog->RunIdentification() == kOk && dialog->EnterUpdateMode() == kOk) {
        dialog->Pause(dialog->timings_.updateModePause);
        if (dialog->RunSteps() == kOk) {
            dialog->Finish();
        }
    }
    // Last act of the worker: from here on it touches nothing of the dialog.
    dialog->workerRunning_ = false;
    return 0;
}

int CTn8UpdatorDlg::RunIdentification() {
    const std::size_t length = BuildIdentityRequest(*workerBuffer_);
    PrepareForAnswer();
    if (SendSysEx(workerBuffer_->data(), length) == -1) {
        // A dialog that closed before the first send took the port with it: end without a word.
        if (closing_) {
            return kFailed;
        }
        Fail(FailureKind::kIdentityNotSent);  // then the identity wait decides
    }
    if (WaitForAnswer(timings_.identityTimeout) == Wait::kTimedOut) {
        Fail(FailureKind::kIdentityTimeOut);
        return kFailed;
    }
    const std::int32_t status = AnswerStatus();
    if (status == kReplyStatusClosing) {
        return kFailed;
    }
    if (status == 0) {
        SetModelByte(reportedModel_);
    }
    const std::uint8_t model = ModelByte();
    const bool accepted = std::find(std::begin(kAcceptedModels), std::end(kAcceptedModels),
                                    model) != std::end(kAcceptedModels);
    if (status != 0 || !accepted) {
        Fail(FailureKind::kIllegalDevice);
        return kFailed;
    }
    SetHostIdentityFamily(model);
    return kOk;
}

int CTn8UpdatorDlg::EnterUpdateMode() {
    PrepareForAnswer();
    SendSysEx(workerBuffer_->data(), BuildUpdateModeRequest(*workerBuffer_, ModelByte()));
    SetStatusText(IDS_ERASING);
    WaitForAnswer(kNoTimeout);
    const std::int32_t status = AnswerStatus();
    if (status == kReplyStatusClosing) {
        return kFailed;
    }
    SetStatusText("");
    if (status == 0) {
        return kOk;
    }
    Fail(status == kStatusNotInUpdateMode ? FailureKind::kNotInUpdateMode
                                          : FailureKind::kUpdateModeRefused);
    return kFailed;
}

int CTn8UpdatorDlg::RunSteps() {
    int stepNumber = 0;
    for (const StepRow& row : kStepTable) {
        SetStepCounter(++stepNumber);
        int result = kOk;
        if (row.type == kStepErase) {
            result = EraseRegion(row.address, row.size);
        } else if (row.type == kStepWrite) {
            result = WriteRegion(row.address, row.size, row.imageId);
        }
        if (result == kFailed) {
            return kFailed;
        }
    }
    return kOk;
}

int CTn8UpdatorDlg::EraseRegion(std::uint32_t address, std::uint32_t size) {
    SetProgressRange(kEraseProgressDone);
    for (int failures = 0;;) {
        PrepareForAnswer();
        SendEraseRequest(ModelByte(), address, size);
        SetProgress(kEraseProgressSent);
        SetStatusText(IDS_ERASING);
        if (WaitForAnswer(timings_.eraseTimeout) == Wait::kTimedOut) {
            Fail(FailureKind::kEraseTimeOut);
            return kFailed;
        }
        const std::int32_t status = AnswerStatus();
        if (status == 0) {
            SetProgress(kEraseProgressDone);
            return kOk;
        }
        if (status == kReplyStatusClosing) {
            return kFailed;
        }
        if (++failures == kMaxSends) {
            Fail(FailureKind::kEraseRefused);
            return kFailed;
        }
        Pause(timings_.retryPause);
    }
}

int CTn8UpdatorDlg::WriteRegion(std::uint32_t address, std::uint32_t size, std::uint32_t imageId) {
    const std::span<const std::uint8_t> image = LookupImage(imageId);
    if (size == 0) {
        size = static_cast<std::uint32_t>(image.size());
    }
    // A missing or short image would be read past its end: fail the step instead.
    if (image.size() < size || size % kWriteChunkBytes != 0) {
        Fail(FailureKind::kImageUnusable);
        return kFailed;
    }
    currentImage_ = image.data();
    SetProgressRange(size);
    std::uint32_t offset = 0;
    for (int failures = 0;;) {
        PrepareForAnswer();
        SendWriteData(ModelByte(), currentImage_ + offset, address + offset, kWriteChunkBytes);
        SetDataTransmitStatus(offset, size);
        const bool timedOut = WaitForAnswer(timings_.writeTimeout) == Wait::kTimedOut;
        const std::int32_t status = timedOut ? -1 : AnswerStatus();
        if (!timedOut && status == 0) {
            failures = 0;
            offset += kWriteChunkBytes;
            SetProgress(offset);
            if (offset >= size) {
                return kOk;
            }
            continue;
        }
        if (status == kReplyStatusClosing) {
            return kFailed;
        }
        if (status == kStatusTransferError) {
            LogUnlessClosed(kLogCrcError);
        }
        if (status == kStatusFlashError) {
            LogUnlessClosed(kLogFlashWriteError);
        }
        if (++failures == kMaxSends) {
            Fail(timedOut ? FailureKind::kWriteTimeOut : FailureKind::kWriteRefused);
            return kFailed;
        }
        if (timedOut && !LetLateAnswerPass()) {
            return kFailed;
        }
        Pause(timings_.retryPause);
    }
}

void CTn8UpdatorDlg::Finish() {
    PrepareForAnswer();
    SendSysEx(workerBuffer_->data(), BuildFinishRequest(*workerBuffer_, ModelByte()));
    if (WaitForAnswer(timings_.finishTimeout) == Wait::kTimedOut) {
        Fail(FailureKind::kFinishTimeOut);
        return;
    }
    if (AnswerStatus() == kReplyStatusClosing) {
        return;
    }
    SetStatusText(IDS_UPDATE_COMPLETED);
    RestoreControls();
    EnableExecute(false);
    Report([](RunObserver& observer) { observer.Completed(); });
}

// The device's answers carry no request id: an answer that comes after its request's wait has
// ended (late, or sent twice) would otherwise stay pending and be taken as the answer to the next
// request, a chunk the device may not have written. So whatever is pending is dropped before each
// send, and so is every answer queued by then that the receive side takes only after the send
// (SignalAnswer); an answer can only follow its request. The closing signal is never dropped.
void CTn8UpdatorDlg::PrepareForAnswer() {
    {
        std::lock_guard lock(answerMutex_);
        queuedBeforeRequest_ = inPort_.Received();
        completion_.Reset();
    }
    if (closing_) {
        completion_.Set();
    }
}

// After a time-out the chunk's answer may still be on its way. Sent again at once, the chunk
// would take that late answer for its own, and its own answer would then be taken for the next
// chunk, which the device may never have written: the run could report completion with a chunk
// missing. So the chunk goes out again only once the late answer has come, or one more write
// wait has passed without it; the re-send's PrepareForAnswer drops it. False when the dialog
// closed meanwhile.
bool CTn8UpdatorDlg::LetLateAnswerPass() {
    WaitForAnswer(timings_.writeTimeout);
    return !closing_;
}

// A wait that the closing dialog ended, or that returns after it closed, counts as the closing
// status whatever a late tick wrote, so the run ends here and touches nothing more.
CTn8UpdatorDlg::Wait CTn8UpdatorDlg::WaitForAnswer(std::chrono::milliseconds timeout) {
    if (timeout == kNoTimeout) {
        completion_.WaitForever();
        return Wait::kAnswered;
    }
    const bool signalled = completion_.Wait(timeout);
    if (closing_) {
        return Wait::kAnswered;
    }
    return signalled ? Wait::kAnswered : Wait::kTimedOut;
}

std::int32_t CTn8UpdatorDlg::AnswerStatus() const {
    return closing_ ? kReplyStatusClosing : replyStatus_.load();
}

// A failure the worker meets after the dialog has closed is not the user's business any more:
// OnDestroy sets closing_ under the same lock, so no line follows the close.
void CTn8UpdatorDlg::LogUnlessClosed(int entry) {
    std::lock_guard lock(pauseMutex_);
    if (!closing_) {
        AppendLog(entry);
    }
}

void CTn8UpdatorDlg::Pause(std::chrono::milliseconds duration) {
    std::unique_lock lock(pauseMutex_);
    pauseWake_.wait_for(lock, duration, [this] { return closing_.load(); });
}

void CTn8UpdatorDlg::SetStatusText(int stringId) {
    SetStatusText(res::LoadString(stringId));
}

void CTn8UpdatorDlg::SetStatusText(std::string_view text) {
    statusLine_.SetWindowText(text);
    Report([text](RunObserver& observer) { observer.StatusTextSet(text); });
}

void CTn8UpdatorDlg::SetProgressRange(std::uint32_t high) {
    progressHigh_ = high;
    progress_.SetRange32(0, static_cast<int>(high));
}

void CTn8UpdatorDlg::SetProgress(std::uint32_t position) {
    progress_.SetPos(static_cast<int>(position));
    Report([position, high = progressHigh_](RunObserver& observer) {
        observer.ProgressMoved(position, high);
    });
}

void CTn8UpdatorDlg::SetStepCounter(int step) {
    char text[16];
    if (step == 0) {
        std::snprintf(text, sizeof text, "0/%d", static_cast<int>(kStepCount));
    } else {
        std::snprintf(text, sizeof text, "%d/%d", step, static_cast<int>(kStepCount));
    }
    stepCounter_.SetWindowText(text);
    Report([step](RunObserver& observer) { observer.StepStarted(step); });
}

void CTn8UpdatorDlg::SetDataTransmitStatus(std::uint32_t done, std::uint32_t size) {
    char text[64];
    // The format is the string table's (a literal, so terminated); nothing is allocated per chunk.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::snprintf(text, sizeof text, res::LoadString(IDS_DATA_TRANSMIT).data(),
                  static_cast<int>(done), static_cast<int>(size));
#pragma GCC diagnostic pop
    SetStatusText(std::string_view(text));
}

}  // namespace kt73b
