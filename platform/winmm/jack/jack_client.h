// The layer's own JACK client: one MIDI input and one MIDI output port, connected to the devices
// that are open. The process thread moves messages between the ports and two rings; a reader
// thread hands received messages to the open input's sink.
#pragma once

#include <jack/jack.h>
#include <semaphore.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/os/message_ring.h"
#include "platform/winmm/jack/jack_config.h"
#include "platform/winmm/mmsystem_api.h"
#include "platform/winmm/provider.h"

namespace kt73b::winmm {

class JackClient {
  public:
    // Null when no server runs; says nothing on stderr either way.
    static std::shared_ptr<JackClient> Open(const JackConfig& config);
    ~JackClient();
    JackClient(const JackClient&) = delete;
    JackClient& operator=(const JackClient&) = delete;

    // False once the server has shut the client down.
    bool Alive() const { return alive_.load(std::memory_order_acquire); }
    // Full names of other clients' MIDI ports with `flags` (JackPortIsOutput: we can read them).
    std::vector<std::string> OtherMidiPorts(unsigned long flags) const;

    MMRESULT AttachInput(const std::string& port, InputSink& sink);
    void DetachInput(const std::string& port);
    MMRESULT AttachOutput(const std::string& port);
    void DetachOutput(const std::string& port);
    // Queues one whole message for the next cycles; fails when it cannot fit in time.
    MMRESULT Send(const std::uint8_t* bytes, std::size_t length);

  private:
    explicit JackClient(const JackConfig& config);
    bool Start();
    static int Process(jack_nframes_t frames, void* self);
    static void Shutdown(void* self);
    void ProcessInput(jack_nframes_t frames);
    void ProcessOutput(jack_nframes_t frames);
    void ReadInbound();
    void WaitUntilSent();

    const JackConfig config_;
    jack_client_t* client_ = nullptr;
    jack_port_t* inputPort_ = nullptr;
    jack_port_t* outputPort_ = nullptr;
    std::string ownPrefix_;  // "<client name>:", set before activation

    os::MessageRing inbound_;        // process thread pushes, reader thread pops
    os::MessageRing outbound_;       // senders push (one at a time, under sendMutex_), process pops
    sem_t inboundReady_;             // posted by the process thread: sem_post never blocks
    std::atomic<bool> alive_{true};  // cleared by the server's shutdown callback
    std::atomic<bool> stopping_{false};        // set by the destructor for the reader
    std::atomic<std::uint64_t> cycles_{0};     // process cycles so far; written by process
    std::atomic<std::uint64_t> droppedIn_{0};  // received messages the ring had no room for
    // Process thread only: what the input port held in the previous cycle (InputSignature).
    std::uint64_t lastInputSignature_ = 0;

    std::mutex sinkMutex_;       // held while the reader hands a message on, and to change sink_
    InputSink* sink_ = nullptr;  // under sinkMutex_
    std::string inputSource_;    // under sinkMutex_: the device port connected to us
    std::mutex sendMutex_;       // one sender at a time; guards outputTarget_
    std::string outputTarget_;   // under sendMutex_
    std::thread reader_;
};

}  // namespace kt73b::winmm
