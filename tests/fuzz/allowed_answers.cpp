#include "allowed_answers.h"

namespace kt73b::fuzz {

namespace {

Bytes Reply(std::uint8_t model, std::uint8_t result) {
    return {0xF0, 0x52, 0x00, model, 0x00, result, 0xF7};
}

Bytes HostIdentityReply(std::uint8_t family) {
    return {0xF0, 0x7E, 0x00, 0x06, 0x02, 0x52, family, 0x00,
            0x00, 0x00, 0x31, 0x30, 0x30, 0x30, 0xF7};
}

}  // namespace

std::optional<Bytes> AllowedAnswer(std::span<const std::uint8_t> message, std::uint8_t model,
                                   std::uint8_t family) {
    if (message.size() < 5 || message[0] != 0xF0) {
        return std::nullopt;
    }
    const std::uint8_t command = message[4];
    if (message[1] == 0x52 && message[3] == model) {
        switch (command) {
            case 0x00:  // the device's answer, ...
            case 0x02:  // ... what counts as one, ...
            case 0x03:  // ... and what is dropped: none gets a message back
                return std::nullopt;
            case 0x01:
            case 0x04:
            case 0x05:
                return Reply(model, 0x00);
            default:
                return Reply(model, 0x01);
        }
    }
    if (message[1] == 0x7E && message[3] == 0x06) {
        if (command == 0x01) {
            return HostIdentityReply(family);
        }
        if (command == 0x02) {
            return std::nullopt;
        }
        return Reply(model, 0x01);
    }
    return std::nullopt;
}

}  // namespace kt73b::fuzz
