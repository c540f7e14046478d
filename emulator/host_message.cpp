#include "emulator/host_message.h"

#include <cstdio>
#include <string>

#include "engine/chunk_crc.h"
#include "engine/protocol_constants.h"
#include "engine/septets.h"
#include "engine/seven_bit_pack.h"

namespace kt73b::emu {

namespace {

constexpr std::size_t kHeaderBytes = 5;  // F0 id dd xx cmd
constexpr std::size_t kAddressAt = 5;
constexpr std::size_t kEraseSizeAt = kAddressAt + kSeptetCount;
constexpr std::size_t kChunkLengthAt = kAddressAt + kSeptetCount;
constexpr std::size_t kPackedDataAt = kChunkLengthAt + kChunkLengthSeptets;

std::string Hex32(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

void MarkMalformed(HostMessage& message, std::string what) {
    message.problem = FrameProblem::kMalformed;
    message.problemText = std::string(KindName(message.kind)) + ": " + std::move(what);
}

HostMessageKind KindOfUniversal(std::span<const std::uint8_t> bytes) {
    if (bytes[3] != kGeneralInformation) {
        return HostMessageKind::kUnknown;
    }
    switch (bytes[4]) {
        case kIdentityRequest:
            return HostMessageKind::kIdentityRequest;
        case kIdentityReply:
            return HostMessageKind::kHostIdentityReply;
        default:
            return HostMessageKind::kUnknown;
    }
}

HostMessageKind KindOfMakerFrame(std::uint8_t command) {
    switch (command) {
        case kCommandReply:
            return HostMessageKind::kHostReply;
        case kCommandUpdateMode:
            return HostMessageKind::kUpdateModeRequest;
        case kCommandWriteData:
            return HostMessageKind::kWriteData;
        case kCommandFinish:
            return HostMessageKind::kFinishRequest;
        case kCommandErase:
            return HostMessageKind::kEraseRequest;
        default:
            return HostMessageKind::kUnknownCommand;
    }
}

HostMessageKind KindOf(std::span<const std::uint8_t> bytes) {
    // A command byte with bit 7 set is the end of a cut message, not a command.
    if (bytes.size() < kHeaderBytes || bytes[0] != kSysExStart || (bytes[4] & 0x80)) {
        return HostMessageKind::kUnknown;
    }
    if (bytes[1] == kUniversalNonRealTime) {
        return KindOfUniversal(bytes);
    }
    if (bytes[1] == kManufacturerId) {
        return KindOfMakerFrame(bytes[4]);
    }
    return HostMessageKind::kUnknown;
}

// F0 first, F7 last and only data bytes between: anything else is a cut or merged message.
bool CheckEnvelope(std::span<const std::uint8_t> bytes, HostMessage& message) {
    if (bytes.size() < 2 || bytes.front() != kSysExStart) {
        MarkMalformed(message, "does not begin with F0");
        return false;
    }
    if (bytes.back() != kSysExEnd) {
        MarkMalformed(message, "does not end with F7 (cut short?)");
        return false;
    }
    for (std::size_t i = 1; i + 1 < bytes.size(); ++i) {
        if (bytes[i] & 0x80) {
            MarkMalformed(message, "status byte inside the message at offset " + std::to_string(i));
            return false;
        }
    }
    return true;
}

std::size_t FixedLengthOf(HostMessageKind kind) {
    switch (kind) {
        case HostMessageKind::kIdentityRequest:
        case HostMessageKind::kUpdateModeRequest:
        case HostMessageKind::kFinishRequest:
            return kShortRequestBytes;
        case HostMessageKind::kHostReply:
            return kReplyFrameBytes;
        case HostMessageKind::kHostIdentityReply:
            return kHostIdentityReplyBytes;
        case HostMessageKind::kEraseRequest:
            return kEraseRequestBytes;
        default:
            return 0;  // write-data frames vary; unknown messages have no length to check
    }
}

void ParseEraseRequest(std::span<const std::uint8_t> bytes, HostMessage& message) {
    if (!DecodeSeptets(&bytes[kAddressAt], kSeptetCount, message.address) ||
        !DecodeSeptets(&bytes[kEraseSizeAt], kSeptetCount, message.size)) {
        MarkMalformed(message, "bad septets");
    }
}

void ParseWriteData(std::span<const std::uint8_t> bytes, HostMessage& message) {
    if (bytes.size() < kWriteFrameOverheadBytes) {
        MarkMalformed(message, std::to_string(bytes.size()) + " bytes, too short for a frame");
        return;
    }
    std::uint32_t length = 0;
    if (!DecodeSeptets(&bytes[kAddressAt], kSeptetCount, message.address) ||
        !DecodeSeptets(&bytes[kChunkLengthAt], kChunkLengthSeptets, length)) {
        MarkMalformed(message, "bad address or length septets");
        return;
    }
    message.size = length;
    if (length == 0 || bytes.size() != WriteFrameBytes(length)) {
        MarkMalformed(message, std::to_string(bytes.size()) + " bytes for a chunk of " +
                                   std::to_string(length) + " bytes, which takes " +
                                   std::to_string(WriteFrameBytes(length)));
        return;
    }
    const std::size_t packed = PackedLength(length);
    message.data.resize(length);
    if (UnpackSevenBit(message.data.data(), &bytes[kPackedDataAt], packed) !=
        static_cast<std::ptrdiff_t>(length)) {
        message.data.clear();
        MarkMalformed(message, "the 7-in-8 packed data does not unpack");
        return;
    }
    std::uint32_t sentCrc = 0;
    DecodeSeptets(&bytes[kPackedDataAt + packed], kSeptetCount, sentCrc);
    const std::uint32_t crc = ChunkCrc(message.data.data(), message.data.size());
    if (crc != sentCrc) {
        message.problem = FrameProblem::kBadCrc;
        message.problemText = "write-data frame: check value " + Hex32(sentCrc) +
                              " does not match the data's " + Hex32(crc);
    }
}

}  // namespace

bool HostMessage::IsMakerFrame() const {
    switch (kind) {
        case HostMessageKind::kUpdateModeRequest:
        case HostMessageKind::kEraseRequest:
        case HostMessageKind::kWriteData:
        case HostMessageKind::kFinishRequest:
        case HostMessageKind::kHostReply:
        case HostMessageKind::kUnknownCommand:
            return true;
        default:
            return false;
    }
}

HostMessage ParseHostMessage(std::span<const std::uint8_t> bytes) {
    HostMessage message;
    message.kind = KindOf(bytes);
    if (message.kind == HostMessageKind::kUnknown) {
        MarkMalformed(message, "not a message this device knows (" + std::to_string(bytes.size()) +
                                   " bytes)");
        return message;
    }
    message.model = bytes[3];
    message.command = bytes[4];
    if (!CheckEnvelope(bytes, message)) {
        return message;
    }
    const std::size_t fixed = FixedLengthOf(message.kind);
    if (fixed != 0 && bytes.size() != fixed) {
        MarkMalformed(message,
                      std::to_string(bytes.size()) + " bytes, expected " + std::to_string(fixed));
        return message;
    }
    switch (message.kind) {
        case HostMessageKind::kEraseRequest:
            ParseEraseRequest(bytes, message);
            break;
        case HostMessageKind::kWriteData:
            ParseWriteData(bytes, message);
            break;
        case HostMessageKind::kHostReply:
            message.value = bytes[5];
            break;
        case HostMessageKind::kHostIdentityReply:
            message.value = bytes[6];
            break;
        default:
            break;
    }
    return message;
}

const char* KindName(HostMessageKind kind) {
    switch (kind) {
        case HostMessageKind::kIdentityRequest:
            return "Identity Request";
        case HostMessageKind::kUpdateModeRequest:
            return "update-mode request";
        case HostMessageKind::kEraseRequest:
            return "erase request";
        case HostMessageKind::kWriteData:
            return "write-data frame";
        case HostMessageKind::kFinishRequest:
            return "finish request";
        case HostMessageKind::kHostReply:
            return "host reply";
        case HostMessageKind::kHostIdentityReply:
            return "host identity reply";
        case HostMessageKind::kUnknownCommand:
            return "maker frame with an unknown command";
        default:
            return "unknown message";
    }
}

}  // namespace kt73b::emu
