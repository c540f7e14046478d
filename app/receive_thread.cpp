#include "app/receive_thread.h"

#include <system_error>

namespace kt73b {

ReceiveThread::~ReceiveThread() {
    Stop();
}

bool ReceiveThread::Start(Procedure procedure, void* context) {
    Stop();
    procedure_ = procedure;
    context_ = context;
    running_.store(true, std::memory_order_release);
    // std::thread reports a refused thread only by throwing.
    try {
        // Handover: procedure_ and context_ are complete before the thread starts.
        thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        running_.store(false, std::memory_order_release);
        return false;
    }
    return true;
}

void ReceiveThread::Stop() {
    if (!thread_.joinable()) {
        return;
    }
    running_.store(false, std::memory_order_release);
    // Handover: the thread sees running_ cleared after this wake and ends.
    wake_.Set();
    thread_.join();
}

void ReceiveThread::Run() {
    for (;;) {
        wake_.WaitForever();
        if (!running_.load(std::memory_order_acquire)) {
            return;
        }
        procedure_(context_);
    }
}

}  // namespace kt73b
