// The one JACK MIDI client: one MIDI input and one MIDI output port, and two rings of whole
// messages between them and the owner's threads. The process callback only moves messages; it
// neither allocates, locks nor blocks. The WinMM layer and the emulator program both use it.
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

namespace kt73b::jack {

struct MidiClientConfig {
    // JACK numbers the client when another one already has the name.
    std::string clientName;
    std::string inputPortName = "midi_in";
    std::string outputPortName = "midi_out";
    // Each direction's ring: many of the largest messages.
    std::size_t ringBytes = 1 << 16;
};

class MidiClient {
  public:
    // Connects to a running server (never starts one); says nothing on stderr. Null when that
    // fails, with the reason in `error`. On PipeWire the client asks for a short cycle.
    static std::unique_ptr<MidiClient> Open(const MidiClientConfig& config, std::string& error);
    ~MidiClient();
    MidiClient(const MidiClient&) = delete;
    MidiClient& operator=(const MidiClient&) = delete;

    std::string Name() const;  // as the server gave it
    std::string InputPortName() const;
    std::string OutputPortName() const;
    // Full names of other clients' MIDI ports with `flags` (JackPortIsOutput: we can read them).
    std::vector<std::string> OtherMidiPorts(unsigned long flags) const;
    // True when connected, also when it already was.
    bool Connect(const std::string& source, const std::string& destination);
    void Disconnect(const std::string& source, const std::string& destination);

    // Queues one message for the next cycles; false when the ring has no room now. One sending
    // thread at a time.
    bool Send(std::span<const std::uint8_t> message);
    std::size_t MaxMessageBytes() const { return outgoing_.MaxMessageBytes(); }
    // True when everything sent has been handed to the output port.
    bool SendQueueEmpty() const { return outgoing_.Empty(); }
    // Process cycles so far: a cycle counted after SendQueueEmpty has put the last message out.
    std::uint64_t Cycles() const { return cycles_.load(std::memory_order_acquire); }

    // Waits until a message has come in, the deadline has passed, the server has gone or Wake
    // was called; true with a message. One receiving thread.
    bool Receive(std::vector<std::uint8_t>& message,
                 std::chrono::steady_clock::time_point deadline);
    // Ends the receiving thread's current wait.
    void Wake() { received_.release(); }

    // Incoming messages lost because the receiving thread fell behind.
    std::uint64_t LostIncoming() const { return lostIncoming_.load(std::memory_order_relaxed); }
    bool ServerGone() const { return serverGone_.load(std::memory_order_acquire); }

  private:
    bool AwaitLink(const std::string& source, const std::string& destination);
    explicit MidiClient(const MidiClientConfig& config);
    bool Start(std::string& error);
    static int OnProcess(jack_nframes_t frames, void* self);
    static void OnShutdown(void* self);
    void TakeIncoming(jack_nframes_t frames);
    void PutOutgoing(jack_nframes_t frames);

    const MidiClientConfig config_;
    jack_client_t* client_ = nullptr;
    jack_port_t* input_ = nullptr;
    jack_port_t* output_ = nullptr;
    std::string ownPrefix_;     // "<client name>:", set before activation
    os::MessageRing incoming_;  // process callback -> receiving thread
    os::MessageRing outgoing_;  // sending thread -> process callback
    // Released by the process callback once per message pushed to incoming_ (release never
    // blocks), by the shutdown callback and by Wake.
    std::counting_semaphore<> received_{0};
    // Written by the process callback, read by anyone; counters, nothing is ordered by them
    // but what Cycles' acquire says.
    std::atomic<std::uint64_t> cycles_{0};
    std::atomic<std::uint64_t> lostIncoming_{0};
    // Written by JACK's shutdown callback; read by the owner to stop waiting for a dead server.
    std::atomic<bool> serverGone_{false};
    // Process callback only: what the input port held in the previous cycle (InputSignature).
    std::uint64_t lastInputSignature_ = 0;
};

}  // namespace kt73b::jack
