// A host for the emulator in virtual time: builds the host's messages with the engine's own
// builders, sends them, and moves the clock from one due answer to the next.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "emulator/clock.h"
#include "emulator/emulator.h"
#include "engine/outbound_messages.h"
#include "engine/protocol_constants.h"

namespace kt73b::emu::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes IdentityRequest() {
    Bytes out(kIdentityRequestBytes);
    BuildIdentityRequest(out);
    return out;
}

inline Bytes UpdateModeRequest(std::uint8_t model = kInitialModelByte) {
    Bytes out(kShortRequestBytes);
    BuildUpdateModeRequest(out, model);
    return out;
}

inline Bytes FinishRequest(std::uint8_t model = kInitialModelByte) {
    Bytes out(kShortRequestBytes);
    BuildFinishRequest(out, model);
    return out;
}

inline Bytes EraseRequest(std::uint32_t address, std::uint32_t size,
                          std::uint8_t model = kInitialModelByte) {
    Bytes out(kEraseRequestBytes);
    BuildEraseRequest(out, model, address, size);
    return out;
}

inline Bytes WriteFrame(std::uint32_t address, std::span<const std::uint8_t> chunk,
                        std::uint8_t model = kInitialModelByte) {
    Bytes out(WriteFrameBytes(chunk.size()));
    BuildWriteDataFrame(out, model, address, chunk);
    return out;
}

inline Bytes Answer(std::uint8_t status, std::uint8_t model = kInitialModelByte) {
    return {0xF0, 0x52, 0x00, model, 0x00, status, 0xF7};
}

// A chunk of `length` bytes that is neither erased flash nor the device's old content.
inline Bytes Chunk(std::size_t length = kWriteChunkBytes, std::uint8_t seed = 1) {
    Bytes chunk(length);
    for (std::size_t i = 0; i < length; ++i) {
        chunk[i] = static_cast<std::uint8_t>((i * 37 + seed) & 0xFF);
    }
    return chunk;
}

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
