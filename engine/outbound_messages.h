// Builders for every message the host sends. Each writes into storage the caller owns and returns
// the message length, or 0 when `out` is too small; nothing allocates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace kt73b {

std::size_t BuildIdentityRequest(std::span<std::uint8_t> out);

// The host's answer to the device's Identity Request; `familyCode` is 00 until a device has
// passed the model check, then that device's model byte.
std::size_t BuildHostIdentityReply(std::span<std::uint8_t> out, std::uint8_t familyCode);

std::size_t BuildReplyFrame(std::span<std::uint8_t> out, std::uint8_t model, std::uint8_t result);
std::size_t BuildUpdateModeRequest(std::span<std::uint8_t> out, std::uint8_t model);
std::size_t BuildFinishRequest(std::span<std::uint8_t> out, std::uint8_t model);
std::size_t BuildEraseRequest(std::span<std::uint8_t> out, std::uint8_t model,
                              std::uint32_t address, std::uint32_t size);

// `chunk` holds at most kMaxChunkBytes; a longer one does not fit the length septets and yields 0.
std::size_t BuildWriteDataFrame(std::span<std::uint8_t> out, std::uint8_t model,
                                std::uint32_t address, std::span<const std::uint8_t> chunk);

}  // namespace kt73b
