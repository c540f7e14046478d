// The benchmark's peer: a JACK client named "VELK KT Series" with one MIDI input and one MIDI
// output port, as the device appears on a JACK system. It answers every System Exclusive message
// with the 7-byte answer of answering_device.h, which tells the sender what arrived. It prints
// "ready" once it is active, and ends on SIGTERM.
#include <jack/jack.h>
#include <jack/midiport.h>
#include <signal.h>

#include <cstdio>

#include "bench/answering_device.h"

namespace {

struct Peer {
    jack_port_t* input = nullptr;
    jack_port_t* output = nullptr;
};

// Realtime: no lock and no allocation. The output buffer is cleared every cycle.
int Process(jack_nframes_t frames, void* arg) {
    auto* peer = static_cast<Peer*>(arg);
    void* in = jack_port_get_buffer(peer->input, frames);
    void* out = jack_port_get_buffer(peer->output, frames);
    jack_midi_clear_buffer(out);
    const jack_nframes_t count = jack_midi_get_event_count(in);
    for (jack_nframes_t i = 0; i < count; ++i) {
        jack_midi_event_t event{};
        if (jack_midi_event_get(&event, in, i) != 0 || event.size == 0 || event.buffer[0] != 0xF0) {
            continue;
        }
        const auto answer = kt73b::testing::AnswerFor(event.buffer, event.size);
        jack_midi_event_write(out, event.time, answer.data(), answer.size());
    }
    return 0;
}

}  // namespace

int main() {
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGTERM);
    sigaddset(&stop_signals, SIGINT);
    // Blocked before JACK starts its threads, so that only sigwait below sees them.
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

    jack_status_t status{};
    jack_client_t* client = jack_client_open(
        "VELK KT Series", static_cast<jack_options_t>(JackNoStartServer | JackUseExactName),
        &status);
    if (client == nullptr) {
        std::fprintf(stderr, "jack_peer: no JACK server (status 0x%x)\n",
                     static_cast<unsigned>(status));
        return 1;
    }
    Peer peer;
    peer.input = jack_port_register(client, "MIDI in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    peer.output =
        jack_port_register(client, "MIDI out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    if (peer.input == nullptr || peer.output == nullptr ||
        jack_set_process_callback(client, &Process, &peer) != 0 || jack_activate(client) != 0) {
        std::fprintf(stderr, "jack_peer: could not set up the client\n");
        jack_client_close(client);
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);

    int signal_number = 0;
    sigwait(&stop_signals, &signal_number);
    jack_deactivate(client);
    jack_client_close(client);
    return 0;
}
