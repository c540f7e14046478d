// The thread on which the receive side runs: the input port wakes it as each message is queued,
// so an answer reaches the waiting update at once, and the periodic tick wakes it too, so no
// message ever waits longer than one tick.
#pragma once

#include <atomic>
#include <thread>

#include "midi/inbound_listener.h"
#include "platform/os/auto_reset_event.h"

namespace kt73b {

class ReceiveThread final : public InboundListener {
  public:
    using Procedure = void (*)(void* context);

    ReceiveThread() = default;
    ~ReceiveThread();
    ReceiveThread(const ReceiveThread&) = delete;
    ReceiveThread& operator=(const ReceiveThread&) = delete;

    // Starts the thread that runs `procedure(context)` once after each wake. False when the
    // system refuses a thread; nothing runs then.
    bool Start(Procedure procedure, void* context);
    // Once it returns, the procedure neither runs nor starts again. Never from the procedure.
    void Stop();
    bool Running() const { return running_.load(std::memory_order_acquire); }

    // Any thread. The procedure runs once more soon after; wakes that come while it runs fold
    // into one more run, so whatever they announced is seen.
    void Wake() { wake_.Set(); }
    void OnInboundQueued() override { Wake(); }

  private:
    void Run();

    // Written by the owner's thread before the thread starts; read by the thread.
    Procedure procedure_ = nullptr;
    void* context_ = nullptr;
    os::AutoResetEvent wake_;
    // Written by the owner's thread (Start, Stop); Stop sets it before the last wake.
    std::atomic<bool> running_{false};
    std::thread thread_;  // owner's thread only
};

}  // namespace kt73b
