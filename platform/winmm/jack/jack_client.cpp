#include "platform/winmm/jack/jack_client.h"

#include <jack/midiport.h>

#include <cerrno>
#include <chrono>

namespace kt73b::winmm {
namespace {

void Silent(const char*) {}

// libjack prints its complaints (no server, for one) on stderr unless told otherwise.
void SilenceLibjack() {
    static std::once_flag once;
    std::call_once(once, [] {
        jack_set_error_function(&Silent);
        jack_set_info_function(&Silent);
    });
}

bool Connected(int result) {
    return result == 0 || result == EEXIST;
}

// Polls until `done` or `timeout`: the waits here are for the process thread, which may not
// lock or signal anything that blocks.
template <typename Done>
bool PollUntil(Done done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return true;
}

// A running server may answer a new client with a communication error while another server
// of the same user starts or stops (they share one registry): that is tried again, briefly. No
// server at all fails at once.
jack_client_t* OpenClient(const char* name) {
    constexpr int kAttempts = 5;
    for (int attempt = 1;; ++attempt) {
        jack_status_t status{};
        jack_client_t* client = jack_client_open(name, JackNoStartServer, &status);
        if (client != nullptr || (status & JackServerError) == 0 || attempt == kAttempts) {
            return client;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace

JackClient::JackClient(const JackConfig& config)
    : config_(config), inbound_(config.ring_bytes), outbound_(config.ring_bytes) {
    sem_init(&inboundReady_, 0, 0);
}

std::shared_ptr<JackClient> JackClient::Open(const JackConfig& config) {
    SilenceLibjack();
    std::shared_ptr<JackClient> client(new JackClient(config));
    if (!client->Start()) {
        return nullptr;
    }
    return client;
}

bool JackClient::Start() {
    client_ = OpenClient(config_.client_name);
    if (client_ == nullptr) {
        return false;
    }
    ownPrefix_ = std::string(jack_get_client_name(client_)) + ":";
    inputPort_ = jack_port_register(client_, config_.input_port_name, JACK_DEFAULT_MIDI_TYPE,
                                    JackPortIsInput, 0);
    outputPort_ = jack_port_register(client_, config_.output_port_name, JACK_DEFAULT_MIDI_TYPE,
                                     JackPortIsOutput, 0);
    if (inputPort_ == nullptr || outputPort_ == nullptr ||
        jack_set_process_callback(client_, &Process, this) != 0) {
        return false;
    }
    jack_on_shutdown(client_, &Shutdown, this);
    reader_ = std::thread([this] { ReadInbound(); });
    return jack_activate(client_) == 0;
}

JackClient::~JackClient() {
    // Once the server has gone, libjack (1.9.21) crashes in jack_client_close: a dead client
    // is left as it is, a few kilobytes once per lost server.
    if (client_ != nullptr && Alive()) {
        jack_deactivate(client_);
        jack_client_close(client_);
    }
    if (reader_.joinable()) {
        stopping_.store(true, std::memory_order_release);
        sem_post(&inboundReady_);
        reader_.join();
    }
    sem_destroy(&inboundReady_);
}

std::vector<std::string> JackClient::OtherMidiPorts(unsigned long flags) const {
    std::vector<std::string> names;
    if (!Alive()) {
        return names;
    }
    const char** ports = jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE, flags);
    if (ports == nullptr) {
        return names;
    }
    for (const char** port = ports; *port != nullptr; ++port) {
        const std::string name(*port);
        if (name.rfind(ownPrefix_, 0) != 0) {
            names.push_back(name);
        }
    }
    jack_free(static_cast<void*>(ports));
    return names;
}

MMRESULT JackClient::AttachInput(const std::string& port, InputSink& sink) {
    std::lock_guard lock(sinkMutex_);
    if (sink_ != nullptr) {
        return MMSYSERR_ALLOCATED;
    }
    if (!Alive() || !Connected(jack_connect(client_, port.c_str(), jack_port_name(inputPort_)))) {
        return MMSYSERR_NODRIVER;
    }
    sink_ = &sink;
    inputSource_ = port;
    return MMSYSERR_NOERROR;
}

void JackClient::DetachInput(const std::string& port) {
    std::lock_guard lock(sinkMutex_);
    if (Alive()) {
        jack_disconnect(client_, port.c_str(), jack_port_name(inputPort_));
    }
    sink_ = nullptr;
    inputSource_.clear();
}

MMRESULT JackClient::AttachOutput(const std::string& port) {
    std::lock_guard lock(sendMutex_);
    if (!outputTarget_.empty()) {
        return MMSYSERR_ALLOCATED;
    }
    if (!Alive() || !Connected(jack_connect(client_, jack_port_name(outputPort_), port.c_str()))) {
        return MMSYSERR_NODRIVER;
    }
    outputTarget_ = port;
    return MMSYSERR_NOERROR;
}

// What was sent before the close still leaves: the port is disconnected only once the process
// thread has written it out and finished that cycle.
void JackClient::DetachOutput(const std::string& port) {
    std::lock_guard lock(sendMutex_);
    WaitUntilSent();
    if (Alive()) {
        jack_disconnect(client_, jack_port_name(outputPort_), port.c_str());
    }
    outputTarget_.clear();
}

void JackClient::WaitUntilSent() {
    if (!PollUntil([&] { return !Alive() || outbound_.Empty(); }, config_.drain_timeout)) {
        return;
    }
    const std::uint64_t emptied_at = cycles_.load(std::memory_order_acquire);
    PollUntil([&] { return !Alive() || cycles_.load(std::memory_order_acquire) > emptied_at; },
              config_.drain_timeout);
}

MMRESULT JackClient::Send(const std::uint8_t* bytes, std::size_t length) {
    std::lock_guard lock(sendMutex_);
    if (length > outbound_.MaxMessageBytes()) {
        return MMSYSERR_INVALPARAM;
    }
    const bool queued =
        PollUntil([&] { return !Alive() || outbound_.Push(bytes, length); }, config_.send_timeout);
    if (!Alive()) {
        return MMSYSERR_NODRIVER;
    }
    return queued ? MMSYSERR_NOERROR : MIDIERR_NOTREADY;
}

// Realtime: no lock, no allocation, nothing that can block.
int JackClient::Process(jack_nframes_t frames, void* self) {
    auto* client = static_cast<JackClient*>(self);
    client->ProcessInput(frames);
    client->ProcessOutput(frames);
    client->cycles_.fetch_add(1, std::memory_order_acq_rel);
    return 0;
}

namespace {

// The events of one cycle, offsets included, as one FNV-1a hash; 0 for no events.
std::uint64_t InputSignature(void* buffer, jack_nframes_t count) {
    constexpr std::uint64_t kOffsetBasis = 14695981039346656037ull;
    constexpr std::uint64_t kPrime = 1099511628211ull;
    if (count == 0) {
        return 0;
    }
    std::uint64_t hash = kOffsetBasis;
    const auto mix = [&hash](std::uint64_t value) { hash = (hash ^ value) * kPrime; };
    for (jack_nframes_t i = 0; i < count; ++i) {
        jack_midi_event_t event{};
        if (jack_midi_event_get(&event, buffer, i) != 0) {
            continue;
        }
        mix(event.time);
        mix(event.size);
        for (std::size_t b = 0; b < event.size; ++b) {
            mix(event.buffer[b]);
        }
    }
    return hash;
}

}  // namespace

// A peer that misses a cycle (an xrun) leaves its last events in its port, and they are read
// again; in the same cycle it misses what we sent it. Taken twice, the device's answer to one
// request would count for the next one, which the device never received, and the update would
// go on past a chunk that was never written. So a cycle whose events equal the previous cycle's,
// offsets included, is skipped: a request and its answer take more than one cycle, so two real
// answers never fill two cycles in a row alike.
void JackClient::ProcessInput(jack_nframes_t frames) {
    void* buffer = jack_port_get_buffer(inputPort_, frames);
    const jack_nframes_t count = jack_midi_get_event_count(buffer);
    const std::uint64_t signature = InputSignature(buffer, count);
    const bool stale = count > 0 && signature == lastInputSignature_;
    lastInputSignature_ = signature;
    if (stale) {
        return;
    }
    bool any = false;
    for (jack_nframes_t i = 0; i < count; ++i) {
        jack_midi_event_t event{};
        if (jack_midi_event_get(&event, buffer, i) != 0 || event.size == 0) {
            continue;
        }
        if (inbound_.Push(event.buffer, event.size)) {
            any = true;
        } else {
            droppedIn_.fetch_add(1, std::memory_order_relaxed);
        }
    }
    if (any) {
        sem_post(&inboundReady_);
    }
}

// The buffer is cleared every cycle, so nothing written in an earlier cycle is sent again.
void JackClient::ProcessOutput(jack_nframes_t frames) {
    void* buffer = jack_port_get_buffer(outputPort_, frames);
    jack_midi_clear_buffer(buffer);
    bool buffer_empty = true;
    while (const auto length = outbound_.PeekLength()) {
        jack_midi_data_t* slot = jack_midi_event_reserve(buffer, 0, *length);
        if (slot == nullptr && buffer_empty) {
            outbound_.Drop();  // larger than a whole cycle's buffer: it can never go out
            continue;
        }
        if (slot == nullptr) {
            break;  // the port is full for this cycle; the rest goes in the next
        }
        outbound_.Pop(slot);
        buffer_empty = false;
    }
}

void JackClient::Shutdown(void* self) {
    auto* client = static_cast<JackClient*>(self);
    client->alive_.store(false, std::memory_order_release);
    sem_post(&client->inboundReady_);
}

void JackClient::ReadInbound() {
    std::vector<std::uint8_t> message;
    for (;;) {
        while (sem_wait(&inboundReady_) != 0 && errno == EINTR) {
        }
        if (stopping_.load(std::memory_order_acquire)) {
            return;
        }
        while (const auto length = inbound_.PeekLength()) {
            message.resize(*length);
            inbound_.Pop(message.data());
            std::lock_guard lock(sinkMutex_);
            if (sink_ != nullptr) {
                sink_->OnMessage(message.data(), message.size());
            }
        }
    }
}

}  // namespace kt73b::winmm
