#include "platform/jack/jack_midi_client.h"

#include <jack/midiport.h>

#include <cerrno>
#include <cstdio>
#include <mutex>
#include <thread>

#include "platform/jack/pipewire_latency.h"

namespace kt73b::jack {
namespace {

void Silent(const char*) {}

// libjack prints its complaints (no server, for one) on stderr; callers say it better.
void SilenceLibjack() {
    static std::once_flag once;
    std::call_once(once, [] {
        jack_set_error_function(&Silent);
        jack_set_info_function(&Silent);
    });
}

std::string StatusText(jack_status_t status) {
    char text[64];
    std::snprintf(text, sizeof text, "status 0x%02X", static_cast<unsigned>(status));
    return text;
}

// A running server may answer a new client with a communication error while another server
// of the same user starts or stops (they share one registry): that is tried again, briefly. No
// server at all fails at once.
jack_client_t* OpenClient(const std::string& name, jack_status_t& status) {
    constexpr int kAttempts = 5;
    for (int attempt = 1;; ++attempt) {
        status = {};
        jack_client_t* client = jack_client_open(name.c_str(), JackNoStartServer, &status);
        if (client != nullptr || (status & JackServerError) == 0 || attempt == kAttempts) {
            return client;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

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

MidiClient::MidiClient(const MidiClientConfig& config)
    : config_(config), incoming_(config.ringBytes), outgoing_(config.ringBytes) {}

std::unique_ptr<MidiClient> MidiClient::Open(const MidiClientConfig& config, std::string& error) {
    SilenceLibjack();
    RequestShortCycleOnPipeWire();
    std::unique_ptr<MidiClient> client(new MidiClient(config));
    if (!client->Start(error)) {
        return nullptr;
    }
    return client;
}

bool MidiClient::Start(std::string& error) {
    jack_status_t status{};
    client_ = OpenClient(config_.clientName, status);
    if (client_ == nullptr) {
        error = (status & JackServerFailed) != 0
                    ? "no JACK server is running (" + StatusText(status) + ")"
                    : "the JACK server refused the client (" + StatusText(status) + ")";
        return false;
    }
    ownPrefix_ = Name() + ":";
    input_ = jack_port_register(client_, config_.inputPortName.c_str(), JACK_DEFAULT_MIDI_TYPE,
                                JackPortIsInput, 0);
    output_ = jack_port_register(client_, config_.outputPortName.c_str(), JACK_DEFAULT_MIDI_TYPE,
                                 JackPortIsOutput, 0);
    if (input_ == nullptr || output_ == nullptr ||
        jack_set_process_callback(client_, &OnProcess, this) != 0) {
        error = "JACK could not register the MIDI ports";
        return false;
    }
    jack_on_shutdown(client_, &OnShutdown, this);
    if (jack_activate(client_) != 0) {
        error = "JACK could not activate the client";
        return false;
    }
    return true;
}

MidiClient::~MidiClient() {
    // Once the server has gone, libjack (1.9.21) crashes in jack_client_close: a dead client
    // is left as it is, a few kilobytes once per lost server. Closing deactivates first: the
    // process callback has returned for good after this.
    if (client_ != nullptr && !ServerGone()) {
        jack_client_close(client_);
    }
}

std::string MidiClient::Name() const {
    return jack_get_client_name(client_);
}

std::string MidiClient::InputPortName() const {
    return jack_port_name(input_);
}

std::string MidiClient::OutputPortName() const {
    return jack_port_name(output_);
}

std::vector<std::string> MidiClient::OtherMidiPorts(unsigned long flags) const {
    std::vector<std::string> names;
    if (ServerGone()) {
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

bool MidiClient::Connect(const std::string& source, const std::string& destination) {
    if (ServerGone()) {
        return false;
    }
    const int result = jack_connect(client_, source.c_str(), destination.c_str());
    if (result == EEXIST) {
        return true;
    }
    return result == 0 && AwaitLink(source, destination);
}

// jackd links two ports before jack_connect returns; PipeWire's libjack only asks for the link,
// and a message sent before the graph runs with it is lost (an update's first request, on a busy
// machine). So the connection counts once the port reports it and two cycles have run since.
bool MidiClient::AwaitLink(const std::string& source, const std::string& destination) {
    constexpr auto kLinkBound = std::chrono::seconds(2);
    constexpr std::uint64_t kCyclesWithLink = 2;
    const auto deadline = std::chrono::steady_clock::now() + kLinkBound;
    const jack_port_t* port = jack_port_by_name(client_, source.c_str());
    while (port != nullptr && jack_port_connected_to(port, destination.c_str()) == 0) {
        if (ServerGone() || std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const std::uint64_t linked = Cycles();
    while (Cycles() < linked + kCyclesWithLink && !ServerGone() &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void MidiClient::Disconnect(const std::string& source, const std::string& destination) {
    if (!ServerGone()) {
        jack_disconnect(client_, source.c_str(), destination.c_str());
    }
}

bool MidiClient::Send(std::span<const std::uint8_t> message) {
    // Hand-over: the ring's release store publishes the copy to the process callback.
    return outgoing_.Push(message.data(), message.size());
}

bool MidiClient::Receive(std::vector<std::uint8_t>& message,
                         std::chrono::steady_clock::time_point deadline) {
    // The semaphore's release in the process callback orders the ring's bytes before this read.
    if (ServerGone() || !received_.try_acquire_until(deadline)) {
        return false;
    }
    const auto length = incoming_.PeekLength();
    if (!length) {
        return false;  // woken by Wake or the shutdown, not by a message
    }
    message.resize(*length);
    incoming_.Pop(message.data());
    return true;
}

// Realtime: no lock, no allocation, nothing that can block.
int MidiClient::OnProcess(jack_nframes_t frames, void* self) {
    auto* client = static_cast<MidiClient*>(self);
    client->TakeIncoming(frames);
    client->PutOutgoing(frames);
    client->cycles_.fetch_add(1, std::memory_order_acq_rel);
    return 0;
}

void MidiClient::OnShutdown(void* self) {
    auto* client = static_cast<MidiClient*>(self);
    client->serverGone_.store(true, std::memory_order_release);
    client->received_.release();
}

// A peer that misses a cycle (an xrun) leaves its last events in its port, and they are read
// again; in the same cycle it misses what we sent it. Taken twice, an answer to one request
// would count for the next one, which the peer never received. So a cycle whose events equal
// the previous cycle's, offsets included, is skipped: a request and its answer take more than
// one cycle, so two real messages never fill two cycles in a row alike.
void MidiClient::TakeIncoming(jack_nframes_t frames) {
    void* buffer = jack_port_get_buffer(input_, frames);
    const jack_nframes_t count = jack_midi_get_event_count(buffer);
    const std::uint64_t signature = InputSignature(buffer, count);
    const bool stale = count > 0 && signature == lastInputSignature_;
    lastInputSignature_ = signature;
    if (stale) {
        return;
    }
    for (jack_nframes_t i = 0; i < count; ++i) {
        jack_midi_event_t event{};
        if (jack_midi_event_get(&event, buffer, i) != 0 || event.size == 0) {
            continue;
        }
        // Hand-over: the copy in the ring, then one release per message for the receiver.
        if (incoming_.Push(event.buffer, event.size)) {
            received_.release();
        } else {
            lostIncoming_.fetch_add(1, std::memory_order_relaxed);
        }
    }
}

// The buffer is cleared every cycle, so nothing written in an earlier cycle is sent again.
void MidiClient::PutOutgoing(jack_nframes_t frames) {
    void* buffer = jack_port_get_buffer(output_, frames);
    jack_midi_clear_buffer(buffer);
    bool bufferEmpty = true;
    while (const auto length = outgoing_.PeekLength()) {
        jack_midi_data_t* slot =
            *length > 0 ? jack_midi_event_reserve(buffer, 0, *length) : nullptr;
        if (slot == nullptr && (bufferEmpty || *length == 0)) {
            outgoing_.Drop();  // larger than a whole cycle's buffer: it can never go out
            continue;
        }
        if (slot == nullptr) {
            break;  // the port is full for this cycle; the rest goes in the next
        }
        outgoing_.Pop(slot);
        bufferEmpty = false;
    }
}

}  // namespace kt73b::jack
