#include "emulator/program/alsa_seq_port.h"

#include <cstdarg>

namespace kt73b::emu {

namespace {

// libasound prints its own complaint when there is no sequencer; absence is not an error here.
void Quiet(const char*, int, const char*, int, const char*, ...) {}

// Large enough for a whole write-data frame, should the host send one through the sequencer.
constexpr std::size_t kPoolBytes = 64 * 1024;

}  // namespace

std::unique_ptr<AlsaSeqPort> AlsaSeqPort::Open(const std::string& name) {
    snd_lib_error_set_handler(Quiet);
    snd_seq_t* seq = nullptr;
    if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) < 0) {
        return nullptr;
    }
    snd_seq_set_client_name(seq, name.c_str());
    snd_seq_set_client_pool_input(seq, kPoolBytes);
    snd_seq_set_client_pool_output(seq, kPoolBytes);
    const int port =
        snd_seq_create_simple_port(seq, name.c_str(),
                                   SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ |
                                       SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE,
                                   SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_HARDWARE);
    if (port < 0) {
        snd_seq_close(seq);
        return nullptr;
    }
    return std::unique_ptr<AlsaSeqPort>(new AlsaSeqPort(seq, port));
}

AlsaSeqPort::~AlsaSeqPort() {
    snd_seq_close(seq_);
}

void AlsaSeqPort::Poll(SysExAssembler& assembler) {
    snd_seq_event_t* event = nullptr;
    // -EAGAIN: nothing more; -ENOSPC: the input overran, but later events are still there.
    int result = 0;
    while ((result = snd_seq_event_input(seq_, &event)) >= 0 || result == -ENOSPC) {
        if (event != nullptr && event->type == SND_SEQ_EVENT_SYSEX) {
            assembler.Feed(
                {static_cast<const std::uint8_t*>(event->data.ext.ptr), event->data.ext.len});
        }
        event = nullptr;
    }
}

void AlsaSeqPort::Send(std::span<const std::uint8_t> message) {
    snd_seq_event_t event;
    snd_seq_ev_clear(&event);
    snd_seq_ev_set_source(&event, port_);
    snd_seq_ev_set_subs(&event);
    snd_seq_ev_set_direct(&event);
    snd_seq_ev_set_sysex(&event, message.size(), const_cast<std::uint8_t*>(message.data()));
    snd_seq_event_output_direct(seq_, &event);
}

}  // namespace kt73b::emu
