// The fixed bytes and sizes of the device protocol: the two message families (MIDI Identity and
// the maker's frames), their commands, and the sizes every sender and the emulator agree on.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/midi_bytes.h"

namespace kt73b {

inline constexpr std::uint8_t kUniversalNonRealTime = 0x7E;
inline constexpr std::uint8_t kGeneralInformation = 0x06;
inline constexpr std::uint8_t kIdentityRequest = 0x01;
inline constexpr std::uint8_t kIdentityReply = 0x02;
inline constexpr std::uint8_t kManufacturerId = 0x52;
inline constexpr std::uint8_t kHostDeviceByte = 0x00;
inline constexpr std::uint8_t kInitialModelByte = 0x57;

// Command bytes at offset 4 of a manufacturer frame.
inline constexpr std::uint8_t kCommandReply = 0x00;
inline constexpr std::uint8_t kCommandUpdateMode = 0x01;
inline constexpr std::uint8_t kCommandWriteData = 0x02;
inline constexpr std::uint8_t kCommandFinish = 0x04;
inline constexpr std::uint8_t kCommandErase = 0x0A;

inline constexpr std::uint8_t kReplyAcknowledge = 0x00;
inline constexpr std::uint8_t kReplyRefuse = 0x01;

// The result byte of the device's answer F0 52 00 mm 00 ss F7.
inline constexpr std::uint8_t kStatusOk = 0;
inline constexpr std::uint8_t kStatusRefused = 1;        // a command the device does not know
inline constexpr std::uint8_t kStatusFlashError = 3;     // outside the flash, or not erased
inline constexpr std::uint8_t kStatusTransferError = 8;  // check value wrong, or frame unreadable
inline constexpr std::uint8_t kStatusNotInUpdateMode = 11;

inline constexpr std::size_t kSeptetCount = 5;
inline constexpr std::size_t kChunkLengthSeptets = 2;
inline constexpr std::uint32_t kMaxChunkBytes = (1u << 14) - 1;  // two length septets
inline constexpr std::uint32_t kWriteChunkBytes = 2048;

// Every sender assembles its message in a buffer of this size, allocated once.
inline constexpr std::size_t kMessageBufferBytes = 65536;

inline constexpr std::size_t kIdentityRequestBytes = 6;
inline constexpr std::size_t kHostIdentityReplyBytes = 15;
inline constexpr std::size_t kReplyFrameBytes = 7;
inline constexpr std::size_t kShortRequestBytes = 6;  // update-mode and finish requests
inline constexpr std::size_t kEraseRequestBytes = 16;
inline constexpr std::size_t kWriteFrameOverheadBytes = 18;

// Packed length of L data bytes: one leading byte per group of seven.
constexpr std::size_t PackedLength(std::size_t length) {
    return length + (length + 6) / 7;
}

constexpr std::size_t WriteFrameBytes(std::size_t chunkLength) {
    return kWriteFrameOverheadBytes + PackedLength(chunkLength);
}

inline constexpr std::size_t kFullWriteFrameBytes = WriteFrameBytes(kWriteChunkBytes);
static_assert(kFullWriteFrameBytes == 2359);

}  // namespace kt73b
