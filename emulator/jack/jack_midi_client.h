// A small JACK client with one MIDI input and one MIDI output port, for the emulator program and
// for the tests that talk to it. The process callback only moves whole messages between the ports
// and two lock-free rings; it neither allocates nor blocks.
#pragma once

#include <jack/jack.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <semaphore>
#include <span>
#include <string>
#include <vector>

#include "platform/os/message_ring.h"

namespace kt73b::emu {

class JackMidiClient {
  public:
    // Connects to a running server (never starts one). Null when that fails, with the reason
    // in `error`.
    static std::unique_ptr<JackMidiClient> Open(const std::string& name, std::string& error);
    ~JackMidiClient();
    JackMidiClient(const JackMidiClient&) = delete;
    JackMidiClient& operator=(const JackMidiClient&) = delete;

    std::string Name() const;  // as the server gave it
    std::string InputPortName() const;
    std::string OutputPortName() const;
    bool Connect(const std::string& source, const std::string& destination);

    // Queues one message for the next cycle; false when the ring is full. One sending thread.
    bool Send(std::span<const std::uint8_t> message);
    // True when everything sent has been handed to the output port.
    bool SendQueueEmpty() const;
    // Waits until a message has come in or `deadline` has passed. One receiving thread.
    bool Receive(std::vector<std::uint8_t>& message,
                 std::chrono::steady_clock::time_point deadline);

    // Incoming messages lost because the receiving thread fell behind.
    std::uint64_t LostIncoming() const { return lostIncoming_.load(std::memory_order_relaxed); }
    bool ServerGone() const { return serverGone_.load(std::memory_order_acquire); }

  private:
    JackMidiClient() = default;
    bool Start(const std::string& name, std::string& error);
    static int OnProcess(jack_nframes_t frames, void* self);
    static void OnShutdown(void* self);
    void TakeIncoming(jack_nframes_t frames);
    void PutOutgoing(jack_nframes_t frames);

    static constexpr std::size_t kRingBytes = 256 * 1024;

    jack_client_t* client_ = nullptr;
    jack_port_t* input_ = nullptr;
    jack_port_t* output_ = nullptr;
    os::MessageRing incoming_{kRingBytes};  // process callback -> receiving thread
    os::MessageRing outgoing_{kRingBytes};  // sending thread -> process callback
    // Released by the process callback once per message pushed to incoming_.
    std::counting_semaphore<> received_{0};
    // Written by the process callback, read by anyone; a counter, nothing is ordered by it.
    std::atomic<std::uint64_t> lostIncoming_{0};
    // Written by JACK's shutdown callback; read by the owner to stop waiting for a dead server.
    std::atomic<bool> serverGone_{false};
};

}  // namespace kt73b::emu
