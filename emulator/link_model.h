// The cable between host and device, one direction: a message takes its bytes' transfer time
// at a fixed rate, queued behind the messages before it, plus a fixed latency.
#pragma once

#include <cstddef>
#include <cstdint>

#include "emulator/clock.h"

namespace kt73b::emu {

struct LinkSettings {
    // USB full speed, three 64-byte bulk packets per 1 ms frame, each packet sixteen 4-byte
    // USB-MIDI events with 3 SysEx bytes: 144 bytes per ms. A 2,359-byte frame takes 16.4 ms.
    // 0 means no transfer time at all.
    std::uint32_t bytesPerSecond = 144000;
    // A message waits for the next 1 ms USB frame and the driver's hand-over: about 1 ms.
    Micros latency{1000};
};

class LinkDirection {
  public:
    explicit LinkDirection(const LinkSettings& settings = {}) : settings_(settings) {}

    LinkSettings& Settings() { return settings_; }

    // Time to move `bytes` over the link, ignoring latency and queueing.
    Micros TransferTime(std::size_t bytes) const;
    // When a message of `bytes` handed over at `sentAt` arrives; takes the link for its bytes.
    Micros Transfer(Micros sentAt, std::size_t bytes);
    // The same without taking the link.
    Micros ArrivalIfSent(Micros sentAt, std::size_t bytes) const;

  private:
    LinkSettings settings_;
    Micros busyUntil_{0};  // the end of the last transfer on this link
};

}  // namespace kt73b::emu
