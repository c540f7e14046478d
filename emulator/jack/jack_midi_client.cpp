#include "emulator/jack/jack_midi_client.h"

#include <jack/midiport.h>

#include <cstdio>

namespace kt73b::emu {

namespace {

// libjack prints its own complaints (e.g. about the missing server socket); callers say it better.
void Quiet(const char*) {}

std::string StatusText(jack_status_t status) {
    char text[64];
    std::snprintf(text, sizeof text, "status 0x%02X", static_cast<unsigned>(status));
    return text;
}

}  // namespace

std::unique_ptr<JackMidiClient> JackMidiClient::Open(const std::string& name, std::string& error) {
    std::unique_ptr<JackMidiClient> client(new JackMidiClient());
    if (!client->Start(name, error)) {
        return nullptr;
    }
    return client;
}

bool JackMidiClient::Start(const std::string& name, std::string& error) {
    jack_set_error_function(Quiet);
    jack_set_info_function(Quiet);
    jack_status_t status{};
    client_ = jack_client_open(name.c_str(), JackNoStartServer, &status);
    if (client_ == nullptr) {
        error = (status & JackServerFailed) != 0
                    ? "no JACK server is running (" + StatusText(status) + ")"
                    : "the JACK server refused the client (" + StatusText(status) + ")";
        return false;
    }
    input_ = jack_port_register(client_, "midi_in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    output_ = jack_port_register(client_, "midi_out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    if (input_ == nullptr || output_ == nullptr) {
        error = "JACK could not register the MIDI ports";
        return false;
    }
    jack_set_process_callback(client_, OnProcess, this);
    jack_on_shutdown(client_, OnShutdown, this);
    if (jack_activate(client_) != 0) {
        error = "JACK could not activate the client";
        return false;
    }
    return true;
}

JackMidiClient::~JackMidiClient() {
    if (client_ != nullptr) {
        // Closing deactivates first: the process callback has returned for good after this.
        jack_client_close(client_);
    }
}

std::string JackMidiClient::Name() const {
    return jack_get_client_name(client_);
}

std::string JackMidiClient::InputPortName() const {
    return jack_port_name(input_);
}

std::string JackMidiClient::OutputPortName() const {
    return jack_port_name(output_);
}

bool JackMidiClient::Connect(const std::string& source, const std::string& destination) {
    return jack_connect(client_, source.c_str(), destination.c_str()) == 0;
}

bool JackMidiClient::Send(std::span<const std::uint8_t> message) {
    // Hand-over: the ring's release store publishes the copy to the process callback.
    return outgoing_.Push(message.data(), message.size());
}

bool JackMidiClient::SendQueueEmpty() const {
    return !outgoing_.PeekLength();
}

bool JackMidiClient::Receive(std::vector<std::uint8_t>& message,
                             std::chrono::steady_clock::time_point deadline) {
    // The semaphore's release in the process callback orders the ring's bytes before this read.
    if (!received_.try_acquire_until(deadline)) {
        return false;
    }
    const auto length = incoming_.PeekLength();
    message.resize(length.value_or(0));
    incoming_.Pop(message.data());
    return length.has_value();
}

int JackMidiClient::OnProcess(jack_nframes_t frames, void* self) {
    auto* client = static_cast<JackMidiClient*>(self);
    client->TakeIncoming(frames);
    client->PutOutgoing(frames);
    return 0;
}

void JackMidiClient::OnShutdown(void* self) {
    static_cast<JackMidiClient*>(self)->serverGone_.store(true, std::memory_order_release);
}

void JackMidiClient::TakeIncoming(jack_nframes_t frames) {
    void* buffer = jack_port_get_buffer(input_, frames);
    const jack_nframes_t count = jack_midi_get_event_count(buffer);
    for (jack_nframes_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, buffer, i) != 0) {
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

void JackMidiClient::PutOutgoing(jack_nframes_t frames) {
    void* buffer = jack_port_get_buffer(output_, frames);
    // What a missed cycle left in the port must not go out twice.
    jack_midi_clear_buffer(buffer);
    while (const auto length = outgoing_.PeekLength()) {
        const std::size_t largest = jack_midi_max_event_size(buffer);
        if (*length == 0 || (*length > largest && jack_midi_get_event_count(buffer) == 0)) {
            outgoing_.Drop();  // can never go out, not even into an empty buffer
            continue;
        }
        jack_midi_data_t* event =
            *length <= largest ? jack_midi_event_reserve(buffer, 0, *length) : nullptr;
        if (event == nullptr) {
            return;  // the rest goes out next cycle
        }
        outgoing_.Pop(event);
    }
}

}  // namespace kt73b::emu
