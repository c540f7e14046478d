// Reassembles SysEx messages from bytes that arrive in pieces (ALSA hands them over in chunks of
// up to 256 bytes; a JACK event may hold a part). A message cut off by a new F0 or by another
// status byte is handed on as it is, so the device can report it.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <utility>
#include <vector>

namespace kt73b::emu {

class SysExAssembler {
  public:
    using Sink = std::function<void(std::span<const std::uint8_t> message)>;

    explicit SysExAssembler(Sink sink) : sink_(std::move(sink)) {}

    void Feed(std::span<const std::uint8_t> bytes);

  private:
    void Flush();

    Sink sink_;
    std::vector<std::uint8_t> message_;
    bool inSysEx_ = false;
};

}  // namespace kt73b::emu
