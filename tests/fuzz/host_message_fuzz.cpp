// Fuzz target: the emulator's reading of what the host sends. One input is one message, of any
// length: frames cut short or too long, broken septets, broken 7-in-8 packing, wrong check values.
// The reading may not go past the message's end; what it accepts must be what the host's own
// builders would send; the device answers with nothing or one whole answer; and the same bytes
// arriving in pieces are put together without harm.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

#include "emulator/device_model.h"
#include "emulator/fault_script.h"
#include "emulator/host_message.h"
#include "engine/outbound_messages.h"
#include "engine/protocol_constants.h"
#include "platform/winmm/sysex_reassembly.h"

namespace {

using kt73b::emu::FrameProblem;
using kt73b::emu::HostMessage;
using kt73b::emu::HostMessageKind;
using Bytes = std::vector<std::uint8_t>;

void Fail(const char* what, std::span<const std::uint8_t> bytes) {
    std::fprintf(stderr, "%s (%zu bytes:", what, bytes.size());
    for (std::size_t i = 0; i < bytes.size() && i < 24; ++i) {
        std::fprintf(stderr, " %02X", bytes[i]);
    }
    std::fprintf(stderr, ")\n");
    std::abort();
}

// What the host's builders make of the fields the emulator read; empty for other kinds.
Bytes Rebuild(const HostMessage& message) {
    Bytes out(kt73b::kMessageBufferBytes);
    std::size_t length = 0;
    switch (message.kind) {
        case HostMessageKind::kIdentityRequest:
            length = kt73b::BuildIdentityRequest(out);
            break;
        case HostMessageKind::kUpdateModeRequest:
            length = kt73b::BuildUpdateModeRequest(out, message.model);
            break;
        case HostMessageKind::kFinishRequest:
            length = kt73b::BuildFinishRequest(out, message.model);
            break;
        case HostMessageKind::kEraseRequest:
            length = kt73b::BuildEraseRequest(out, message.model, message.address, message.size);
            break;
        case HostMessageKind::kWriteData:
            length = kt73b::BuildWriteDataFrame(out, message.model, message.address, message.data);
            break;
        default:
            break;
    }
    out.resize(length);
    return out;
}

// The septet encoding leaves the fifth septet's top three bits unused and the device byte is
// never read: a message with either set is read like the one the host builds, but differs from it.
bool Canonical(std::span<const std::uint8_t> bytes, const HostMessage& message) {
    if (bytes[2] != 0x00) {
        return false;
    }
    constexpr std::size_t kFifthSeptets[] = {9, 14};  // address; erase size
    for (const std::size_t at : kFifthSeptets) {
        const bool read = at == 9 || message.kind == HostMessageKind::kEraseRequest;
        if (read && at < bytes.size() && bytes[at] > 0x0F) {
            return false;
        }
    }
    if (message.kind == HostMessageKind::kWriteData && bytes.size() >= 6 &&
        bytes[bytes.size() - 2] > 0x0F) {
        return false;
    }
    return true;
}

void CheckReading(std::span<const std::uint8_t> bytes, const HostMessage& message) {
    if (message.problem != FrameProblem::kNone && message.problemText.empty()) {
        Fail("a problem without a text", bytes);
    }
    if (message.kind == HostMessageKind::kUnknown && message.problem == FrameProblem::kNone) {
        Fail("an unknown message read as well formed", bytes);
    }
    if (message.kind == HostMessageKind::kWriteData &&
        message.problem != FrameProblem::kMalformed && message.data.size() != message.size) {
        Fail("a write-data frame whose data is not its chunk length", bytes);
    }
    if (!kt73b::emu::RequestKindOf(message.kind) || message.problem != FrameProblem::kNone) {
        return;
    }
    const Bytes rebuilt = Rebuild(message);
    const HostMessage again = kt73b::emu::ParseHostMessage(rebuilt);
    if (rebuilt.empty() || again.kind != message.kind || again.problem != FrameProblem::kNone ||
        again.address != message.address || again.size != message.size ||
        again.data != message.data) {
        Fail("an accepted message whose fields the host's builder does not reproduce", bytes);
    }
    if (Canonical(bytes, message) &&
        !std::equal(bytes.begin(), bytes.end(), rebuilt.begin(), rebuilt.end())) {
        Fail("an accepted message that differs from what the host builds", bytes);
    }
}

void CheckAnswer(std::span<const std::uint8_t> bytes, const Bytes& answer, std::uint8_t model) {
    if (answer.empty()) {
        return;
    }
    const bool reply = answer.size() == kt73b::kReplyFrameBytes && answer[0] == 0xF0 &&
                       answer[1] == 0x52 && answer[3] == model && answer[4] == 0x00 &&
                       answer[5] < 0x80 && answer[6] == 0xF7;
    const bool identity = answer.size() == kt73b::kHostIdentityReplyBytes && answer[0] == 0xF0 &&
                          answer[1] == 0x7E && answer[4] == 0x02 && answer.back() == 0xF7;
    if (!reply && !identity) {
        Fail("the device answered with something that is no answer", bytes);
    }
}

// Cuts the bytes into pieces whose sizes come from the bytes themselves.
void FeedInPieces(std::span<const std::uint8_t> bytes) {
    std::size_t messages = 0;
    kt73b::winmm::SysExReassembler assembler(
        kt73b::winmm::CutMessages::kHandOn, [&](std::span<const std::uint8_t> message) {
            ++messages;
            CheckReading(message, kt73b::emu::ParseHostMessage(message));
        });
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t piece = std::min<std::size_t>(1 + bytes[at] % 64, bytes.size() - at);
        assembler.Feed(bytes.subspan(at, piece));
        at += piece;
    }
    if (messages > bytes.size()) {
        Fail("more messages than bytes", bytes);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // One device for all inputs: a fresh one would fill its whole flash each time.
    static kt73b::emu::DeviceModel device;
    const std::span<const std::uint8_t> bytes(data, size);
    const HostMessage message = kt73b::emu::ParseHostMessage(bytes);
    CheckReading(bytes, message);
    CheckAnswer(bytes, device.Handle(message).answer, device.Settings().model);
    FeedInPieces(bytes);
    return 0;
}
