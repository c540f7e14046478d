// Joins System Exclusive messages that arrive in pieces (the ALSA sequencer cuts them into events
// of at most 256 bytes; a JACK event may hold part of one) back into whole messages, F0 to F7.
// A host and a device differ in what a message cut off by a new F0 or another status byte is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace kt73b::winmm {

enum class CutMessages {
    kDrop,    // a host's: only whole answers count; the update re-sends after a time-out
    kHandOn,  // a device's: the cut part goes on as it is, so the device can report it
};

class SysExReassembler {
  public:
    using Sink = std::function<void(std::span<const std::uint8_t> message)>;
    static constexpr std::size_t kDefaultMaxBytes = 1 << 16;

    // Messages longer than `maxBytes` are dropped whole rather than grown without end.
    SysExReassembler(CutMessages cut, Sink sink, std::size_t maxBytes = kDefaultMaxBytes);

    // Takes the next bytes of the stream and hands each message they end to the sink, on the
    // caller's thread. Real-time bytes are left out wherever they are; bytes outside a System
    // Exclusive message are not ours.
    void Feed(std::span<const std::uint8_t> bytes);

  private:
    enum class State { kIdle, kCollecting, kSkipping };

    void Take(std::uint8_t byte);
    void CutOff();

    CutMessages cut_;
    Sink sink_;
    std::size_t maxBytes_;
    State state_ = State::kIdle;
    std::vector<std::uint8_t> message_;
};

}  // namespace kt73b::winmm
