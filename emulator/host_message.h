// What one SysEx message from the host means to the device: its kind, the fields it carries and,
// when it is not well formed, what is wrong with it. Reads nothing past the message's end.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kt73b::emu {

enum class HostMessageKind : std::uint8_t {
    kIdentityRequest,
    kUpdateModeRequest,
    kEraseRequest,
    kWriteData,
    kFinishRequest,
    kHostReply,          // F0 52 00 mm 00 rr F7: the host answering one of the device's requests
    kHostIdentityReply,  // the host answering the device's Identity Request
    kUnknownCommand,     // a maker frame with a command the device does not know
    kUnknown,            // no message of the protocol
};

enum class FrameProblem : std::uint8_t {
    kNone,
    kMalformed,  // layout, length, septets or packing wrong: the device cannot use it
    kBadCrc,     // well formed, but the data does not match its check value
};

struct HostMessage {
    HostMessageKind kind = HostMessageKind::kUnknown;
    FrameProblem problem = FrameProblem::kNone;
    std::string problemText;         // for the list of protocol errors; empty when well formed
    std::uint8_t model = 0;          // byte 3 of a maker frame
    std::uint8_t command = 0;        // byte 4 of a maker frame
    std::uint32_t address = 0;       // erase request, write-data frame
    std::uint32_t size = 0;          // erase: bytes to erase; write: chunk length
    std::uint8_t value = 0;          // host reply: its result; host identity reply: family code
    std::vector<std::uint8_t> data;  // write-data frame: the unpacked chunk

    bool IsMakerFrame() const;
};

HostMessage ParseHostMessage(std::span<const std::uint8_t> bytes);

const char* KindName(HostMessageKind kind);

}  // namespace kt73b::emu
