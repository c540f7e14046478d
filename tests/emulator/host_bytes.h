// The host's messages built with the engine's own builders, the device's status answer, and
// chunks of data, for tests that play the host or the device.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

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

}  // namespace kt73b::emu::testing
