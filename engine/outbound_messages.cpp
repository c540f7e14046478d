#include "engine/outbound_messages.h"

#include <algorithm>
#include <array>

#include "engine/chunk_crc.h"
#include "engine/protocol_constants.h"
#include "engine/septets.h"
#include "engine/seven_bit_pack.h"

namespace kt73b {

namespace {

constexpr std::size_t kFrameHeaderBytes = 5;  // F0 52 00 mm cmd
constexpr std::array<std::uint8_t, 4> kSoftwareRevision = {'1', '0', '0', '0'};

void WriteFrameHeader(std::uint8_t* out, std::uint8_t model, std::uint8_t command) {
    out[0] = kSysExStart;
    out[1] = kManufacturerId;
    out[2] = kHostDeviceByte;
    out[3] = model;
    out[4] = command;
}

std::size_t BuildHeaderOnlyFrame(std::span<std::uint8_t> out, std::uint8_t model,
                                 std::uint8_t command) {
    if (out.size() < kShortRequestBytes) {
        return 0;
    }
    WriteFrameHeader(out.data(), model, command);
    out[5] = kSysExEnd;
    return kShortRequestBytes;
}

}  // namespace

std::size_t BuildIdentityRequest(std::span<std::uint8_t> out) {
    constexpr std::array<std::uint8_t, kIdentityRequestBytes> kRequest = {
        kSysExStart,         kUniversalNonRealTime, kHostDeviceByte,
        kGeneralInformation, kIdentityRequest,      kSysExEnd};
    if (out.size() < kRequest.size()) {
        return 0;
    }
    std::copy(kRequest.begin(), kRequest.end(), out.begin());
    return kRequest.size();
}

std::size_t BuildHostIdentityReply(std::span<std::uint8_t> out, std::uint8_t familyCode) {
    if (out.size() < kHostIdentityReplyBytes) {
        return 0;
    }
    std::uint8_t* p = out.data();
    *p++ = kSysExStart;
    *p++ = kUniversalNonRealTime;
    *p++ = kHostDeviceByte;
    *p++ = kGeneralInformation;
    *p++ = kIdentityReply;
    *p++ = kManufacturerId;
    *p++ = familyCode;
    *p++ = 0x00;  // family code, high byte
    *p++ = 0x00;  // family member
    *p++ = 0x00;
    p = std::copy(kSoftwareRevision.begin(), kSoftwareRevision.end(), p);
    *p = kSysExEnd;
    return kHostIdentityReplyBytes;
}

std::size_t BuildReplyFrame(std::span<std::uint8_t> out, std::uint8_t model, std::uint8_t result) {
    if (out.size() < kReplyFrameBytes) {
        return 0;
    }
    WriteFrameHeader(out.data(), model, kCommandReply);
    out[5] = result;
    out[6] = kSysExEnd;
    return kReplyFrameBytes;
}

std::size_t BuildUpdateModeRequest(std::span<std::uint8_t> out, std::uint8_t model) {
    return BuildHeaderOnlyFrame(out, model, kCommandUpdateMode);
}

std::size_t BuildFinishRequest(std::span<std::uint8_t> out, std::uint8_t model) {
    return BuildHeaderOnlyFrame(out, model, kCommandFinish);
}

std::size_t BuildEraseRequest(std::span<std::uint8_t> out, std::uint8_t model,
                              std::uint32_t address, std::uint32_t size) {
    if (out.size() < kEraseRequestBytes) {
        return 0;
    }
    WriteFrameHeader(out.data(), model, kCommandErase);
    EncodeSeptets(address, out.data() + kFrameHeaderBytes);
    EncodeSeptets(size, out.data() + kFrameHeaderBytes + kSeptetCount);
    out[kEraseRequestBytes - 1] = kSysExEnd;
    return kEraseRequestBytes;
}

std::size_t BuildWriteDataFrame(std::span<std::uint8_t> out, std::uint8_t model,
                                std::uint32_t address, std::span<const std::uint8_t> chunk) {
    const std::size_t frameBytes = WriteFrameBytes(chunk.size());
    if (chunk.size() > kMaxChunkBytes || out.size() < frameBytes) {
        return 0;
    }
    std::uint8_t* p = out.data();
    WriteFrameHeader(p, model, kCommandWriteData);
    p += kFrameHeaderBytes;
    EncodeSeptets(address, p);
    p += kSeptetCount;
    EncodeSeptets(static_cast<std::uint32_t>(chunk.size()), p, kChunkLengthSeptets);
    p += kChunkLengthSeptets;
    // The check value covers the raw bytes, not the packed ones.
    p += PackSevenBit(p, chunk.data(), chunk.size());
    EncodeSeptets(ChunkCrc(chunk.data(), chunk.size()), p);
    p += kSeptetCount;
    *p = kSysExEnd;
    return frameBytes;
}

}  // namespace kt73b
