#include "engine/inbound_classification.h"

#include "engine/protocol_constants.h"

namespace kt73b {

namespace {

// Offsets the classification reads: byte 3 (model / sub-id), 4 (command), 5 (result), 6 (model
// in an Identity Reply). A message needs one byte more than the highest offset its class reads.
constexpr std::size_t kCommandOffset = 4;
constexpr std::size_t kResultOffset = 5;
constexpr std::size_t kReportedModelOffset = 6;

constexpr InboundAction Drop() {
    return {InboundKind::kDrop, 0};
}
constexpr InboundAction Reply(std::uint8_t result) {
    return {InboundKind::kSendReply, result};
}

bool Holds(std::size_t length, std::size_t offset) {
    return length > offset;
}

InboundAction ClassifyManufacturerFrame(const std::uint8_t* bytes, std::size_t length,
                                        std::uint8_t model) {
    if (!Holds(length, kCommandOffset) || bytes[3] != model) {
        return Drop();
    }
    switch (bytes[kCommandOffset]) {
        case 0x00:
            if (!Holds(length, kResultOffset)) {
                return Drop();
            }
            return {InboundKind::kReplyStatus, bytes[kResultOffset]};
        case 0x02:
            return {InboundKind::kReplyStatus, 0};
        case 0x03:
            return Drop();
        case 0x01:
        case 0x04:
        case 0x05:
            return Reply(kReplyAcknowledge);
        default:
            return Reply(kReplyRefuse);
    }
}

InboundAction ClassifyUniversalMessage(const std::uint8_t* bytes, std::size_t length) {
    if (!Holds(length, kCommandOffset) || bytes[3] != kGeneralInformation) {
        return Drop();
    }
    switch (bytes[kCommandOffset]) {
        case kIdentityRequest:
            return {InboundKind::kSendIdentityReply, 0};
        case kIdentityReply:
            if (!Holds(length, kReportedModelOffset)) {
                return Drop();
            }
            return {InboundKind::kReportedModel, bytes[kReportedModelOffset]};
        default:
            return Reply(kReplyRefuse);
    }
}

}  // namespace

InboundAction ClassifyInbound(const std::uint8_t* bytes, std::size_t length, std::uint8_t model) {
    if (bytes == nullptr || !Holds(length, 1) || bytes[0] != kSysExStart) {
        return Drop();
    }
    switch (bytes[1]) {
        case kManufacturerId:
            return ClassifyManufacturerFrame(bytes, length, model);
        case kUniversalNonRealTime:
            return ClassifyUniversalMessage(bytes, length);
        default:
            return Drop();
    }
}

}  // namespace kt73b
