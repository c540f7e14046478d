// Joins the pieces in which the ALSA sequencer delivers a System Exclusive message (the kernel
// cuts it into events of at most 256 bytes) back into the whole message, F0 to F7.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kt73b::winmm {

class SysExReassembler {
  public:
    // Messages longer than `max_bytes` are dropped whole rather than grown without end.
    explicit SysExReassembler(std::size_t max_bytes = 1 << 16) : maxBytes_(max_bytes) {}

    // Adds one piece. True when it ended a message, which Message() then holds until the next
    // Feed. A piece that starts with F0 starts a new message and drops an unfinished one; a
    // piece that continues nothing is dropped.
    bool Feed(const std::uint8_t* bytes, std::size_t length);
    const std::vector<std::uint8_t>& Message() const { return message_; }

  private:
    enum class State { kIdle, kCollecting, kSkipping, kComplete };

    std::size_t maxBytes_;
    State state_ = State::kIdle;
    std::vector<std::uint8_t> message_;
};

}  // namespace kt73b::winmm
