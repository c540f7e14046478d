// What the receive side does with one message from the device, decided from the message's bytes,
// its recorded length and the current model byte alone, so it can be tested without a port.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kt73b {

enum class InboundKind : std::uint8_t {
    kDrop,               // no answer, nothing recorded
    kReplyStatus,        // reply status := value; signal the completion event
    kReportedModel,      // reply status := 0; reported model byte := value; signal
    kSendReply,          // answer with a reply frame carrying `value` (0 acknowledge, 1 refuse)
    kSendIdentityReply,  // answer the device's Identity Request with the host identity reply
};

struct InboundAction {
    InboundKind kind = InboundKind::kDrop;
    std::uint8_t value = 0;

    friend bool operator==(const InboundAction&, const InboundAction&) = default;
};

// Never reads at or past `bytes[length]`: a message too short for the offsets its class needs
// is dropped without an answer.
InboundAction ClassifyInbound(const std::uint8_t* bytes, std::size_t length, std::uint8_t model);

}  // namespace kt73b
