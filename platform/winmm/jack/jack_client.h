// The layer's side of the JACK MIDI client: which devices are connected to its two ports, a
// reader thread that hands received messages to the open input's sink, and sends that wait a
// bounded time for room.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/jack/jack_midi_client.h"
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
    bool Alive() const { return !midi_->ServerGone(); }
    // Full names of other clients' MIDI ports with `flags` (JackPortIsOutput: we can read them).
    std::vector<std::string> OtherMidiPorts(unsigned long flags) const {
        return midi_->OtherMidiPorts(flags);
    }

    MMRESULT AttachInput(const std::string& port, InputSink& sink);
    void DetachInput(const std::string& port);
    MMRESULT AttachOutput(const std::string& port);
    void DetachOutput(const std::string& port);
    // Queues one whole message for the next cycles; fails when it cannot fit in time.
    MMRESULT Send(const std::uint8_t* bytes, std::size_t length);

  private:
    JackClient(const JackConfig& config, std::unique_ptr<jack::MidiClient> midi);
    void ReadInbound();
    void WaitUntilSent();

    const JackConfig config_;
    const std::unique_ptr<jack::MidiClient> midi_;
    std::atomic<bool> stopping_{false};  // set by the destructor for the reader

    std::mutex sinkMutex_;       // held while the reader hands a message on, and to change sink_
    InputSink* sink_ = nullptr;  // under sinkMutex_
    std::mutex sendMutex_;       // one sender at a time; guards outputTarget_
    std::string outputTarget_;   // under sendMutex_
    std::thread reader_;
};

}  // namespace kt73b::winmm
