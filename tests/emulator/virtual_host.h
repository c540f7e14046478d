// A host for the emulator in virtual time: sends the host's messages and moves the clock from
// one due answer to the next.
#pragma once

#include <span>
#include <vector>

#include "emulator/clock.h"
#include "emulator/emulator.h"
#include "host_bytes.h"

namespace kt73b::emu::testing {

class VirtualHost {
  public:
    explicit VirtualHost(const EmulatorSettings& settings = {}) : emulator_(clock_, settings) {}

    Emulator& Device() { return emulator_; }
    VirtualClock& Clock() { return clock_; }

    void Send(std::span<const std::uint8_t> message) { emulator_.OnHostMessage(message); }

    // Moves the clock through every message under way and returns them as they arrive.
    std::vector<OutboundMessage> Drain() {
        std::vector<OutboundMessage> arrived;
        while (const auto due = emulator_.NextDue()) {
            clock_.AdvanceTo(*due);
            for (OutboundMessage& message : emulator_.TakeDue()) {
                arrived.push_back(std::move(message));
            }
        }
        return arrived;
    }

    // Sends one message and returns the bytes of everything the device sent back.
    std::vector<Bytes> Exchange(std::span<const std::uint8_t> message) {
        Send(message);
        std::vector<Bytes> bytes;
        for (OutboundMessage& answer : Drain()) {
            bytes.push_back(std::move(answer.bytes));
        }
        return bytes;
    }

  private:
    VirtualClock clock_;
    Emulator emulator_;
};

}  // namespace kt73b::emu::testing
