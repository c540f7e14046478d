// The dialog's side of the device protocol: sending one message through the output port, and
// the receive side that each timer tick runs over the inbound queue.
#include <span>

#include "app/model_byte.h"
#include "app/updater_dialog.h"
#include "engine/inbound_classification.h"
#include "engine/outbound_messages.h"

namespace kt73b {

int CTn8UpdatorDlg::SendSysEx(const std::uint8_t* bytes, std::size_t length) {
    // The header lives on this thread's stack; SendLong returns only once the driver is done.
    MIDIHDR header{};
    header.lpData = reinterpret_cast<LPSTR>(const_cast<std::uint8_t*>(bytes));
    header.dwBufferLength = static_cast<DWORD>(length);
    header.dwFlags = 0;
    return outPort_.SendLong(&header) == 1 ? 0 : -1;
}

void CTn8UpdatorDlg::SendReply(std::uint8_t result) {
    const std::size_t length = BuildReplyFrame(*replyBuffer_, ModelByte(), result);
    SendSysEx(replyBuffer_->data(), length);
}

int CTn8UpdatorDlg::SendEraseRequest(std::uint8_t model, std::uint32_t address,
                                     std::uint32_t size) {
    const std::size_t length = BuildEraseRequest(*workerBuffer_, model, address, size);
    return SendSysEx(workerBuffer_->data(), length);
}

int CTn8UpdatorDlg::SendWriteData(std::uint8_t model, const std::uint8_t* chunk,
                                  std::uint32_t address, std::uint32_t length) {
    const std::size_t frameLength =
        BuildWriteDataFrame(*workerBuffer_, model, address, std::span(chunk, length));
    if (frameLength == 0) {
        return -1;
    }
    return SendSysEx(workerBuffer_->data(), frameLength);
}

// The tick keeps the bound on how long a message waits: it wakes the receive thread whether or
// not the input port has woken it already; without that thread, it drains the queue itself.
void CALLBACK CTn8UpdatorDlg::TickProc(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    auto* dialog = reinterpret_cast<CTn8UpdatorDlg*>(user);
    if (dialog->receiver_.Running()) {
        dialog->receiver_.Wake();  // handover: the receive thread drains the queue
    } else {
        dialog->DispatchInbound();
    }
}

void CTn8UpdatorDlg::DispatchOnReceiveThread(void* dialog) {
    static_cast<CTn8UpdatorDlg*>(dialog)->DispatchInbound();
}

// The device's answers carry no request id, but none can answer a request that went out after it
// came: such an answer (late, or sent twice) is dropped here, whenever the receive side gets to
// it, rather than taken for the next request, a chunk the device may not have written.
void CTn8UpdatorDlg::SignalAnswer(std::uint64_t number, std::int32_t status,
                                  std::optional<std::uint8_t> reportedModel) {
    std::lock_guard lock(answerMutex_);
    if (number <= queuedBeforeRequest_) {
        return;
    }
    if (reportedModel) {
        reportedModel_ = *reportedModel;
    }
    replyStatus_ = status;
    completion_.Set();  // handover to the worker: the status is written first
}

// Runs on one thread only: the receive thread, or the timer's when that thread is not running;
// neither runs it twice at once.
void CTn8UpdatorDlg::DispatchInbound() {
    std::size_t length = 0;
    while (const std::uint8_t* message = inPort_.Front(&length)) {
        const std::uint64_t number = ++messagesTaken_;  // messages leave the queue in order
        const InboundAction action = ClassifyInbound(message, length, ModelByte());
        switch (action.kind) {
            case InboundKind::kReplyStatus:
                SignalAnswer(number, action.value);
                break;
            case InboundKind::kReportedModel:
                SignalAnswer(number, 0, action.value);
                break;
            case InboundKind::kSendReply:
                SendReply(action.value);
                break;
            case InboundKind::kSendIdentityReply:
                SendSysEx(replyBuffer_->data(),
                          BuildHostIdentityReply(*replyBuffer_, HostIdentityFamily()));
                break;
            case InboundKind::kDrop:
                break;
        }
        inPort_.PopFront();
    }
}

}  // namespace kt73b
