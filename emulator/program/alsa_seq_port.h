// The emulated device on an ALSA sequencer port, where the machine has a sequencer. Without one
// there is simply no port, and nothing is said about it.
#pragma once

#include <alsa/asoundlib.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "emulator/sysex_assembler.h"

namespace kt73b::emu {

class AlsaSeqPort {
  public:
    // Null when there is no sequencer or the port cannot be made.
    static std::unique_ptr<AlsaSeqPort> Open(const std::string& name);
    ~AlsaSeqPort();
    AlsaSeqPort(const AlsaSeqPort&) = delete;
    AlsaSeqPort& operator=(const AlsaSeqPort&) = delete;

    // Takes whatever SysEx has come in, without waiting, and feeds it to `assembler`.
    void Poll(SysExAssembler& assembler);
    void Send(std::span<const std::uint8_t> message);

  private:
    AlsaSeqPort(snd_seq_t* seq, int port) : seq_(seq), port_(port) {}

    snd_seq_t* seq_;
    int port_;
};

}  // namespace kt73b::emu
