#include "emulator/device_messages.h"

#include "engine/outbound_messages.h"
#include "engine/protocol_constants.h"

namespace kt73b::emu {

std::vector<std::uint8_t> BuildDeviceIdentityReply(std::uint8_t model) {
    // Family code mm 00, family member 00 00, then the firmware revision "3000" in ASCII.
    return {kSysExStart,
            kUniversalNonRealTime,
            kHostDeviceByte,
            kGeneralInformation,
            kIdentityReply,
            kManufacturerId,
            model,
            0x00,
            0x00,
            0x00,
            '3',
            '0',
            '0',
            '0',
            kSysExEnd};
}

std::vector<std::uint8_t> BuildDeviceAnswer(std::uint8_t model, std::uint8_t status) {
    // The device's answer has the same layout as the host's reply frame.
    std::vector<std::uint8_t> answer(kReplyFrameBytes);
    BuildReplyFrame(answer, model, status);
    return answer;
}

std::vector<std::uint8_t> BuildDeviceIdentityRequest() {
    std::vector<std::uint8_t> request(kIdentityRequestBytes);
    BuildIdentityRequest(request);
    return request;
}

std::vector<std::uint8_t> BuildDeviceCommand(std::uint8_t model, std::uint8_t command) {
    return {kSysExStart, kManufacturerId, kHostDeviceByte, model, command, kSysExEnd};
}

}  // namespace kt73b::emu
