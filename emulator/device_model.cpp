#include "emulator/device_model.h"

#include <cstdio>
#include <string>
#include <utility>

#include "emulator/device_messages.h"

namespace kt73b::emu {

namespace {

std::string Hex(std::uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, static_cast<unsigned>(value));
    return text;
}

std::string RangeText(std::uint32_t address, std::uint32_t size) {
    return Hex(address, 6) + " + " + Hex(size, 6);
}

}  // namespace

DeviceModel::DeviceModel(const DeviceSettings& settings) : settings_(settings) {}

DeviceResult DeviceModel::Answer(std::uint8_t status, Micros busy, std::string problem) const {
    return {BuildDeviceAnswer(settings_.model, status), busy, std::move(problem)};
}

std::string DeviceModel::ModelMismatch(const HostMessage& message) const {
    return std::string(KindName(message.kind)) + " for model " + Hex(message.model, 2) +
           ", but this device is " + Hex(settings_.model, 2) + ": ignored";
}

DeviceResult DeviceModel::Handle(const HostMessage& message) {
    switch (message.kind) {
        case HostMessageKind::kUnknown:
            return {{}, Micros{0}, message.problemText};
        case HostMessageKind::kIdentityRequest:
            // Universal messages carry no model byte: any device answers a well-formed one.
            if (message.problem != FrameProblem::kNone) {
                return {{}, Micros{0}, message.problemText};
            }
            return {BuildDeviceIdentityReply(settings_.model), settings_.commandTime, {}};
        case HostMessageKind::kHostIdentityReply:
            return HandleHostAnswer(message);
        default:
            break;
    }
    if (message.model != settings_.model) {
        return {{}, Micros{0}, ModelMismatch(message)};
    }
    if (message.kind == HostMessageKind::kHostReply) {
        return HandleHostAnswer(message);
    }
    if (message.kind == HostMessageKind::kUnknownCommand) {
        return Answer(kStatusRefused, settings_.commandTime,
                      std::string(KindName(message.kind)) + " " + Hex(message.command, 2));
    }
    // The frame was meant for this device but did not arrive intact: ask for it again.
    if (message.problem != FrameProblem::kNone) {
        return Answer(kStatusTransferError, settings_.commandTime, message.problemText);
    }
    return HandleRequest(message);
}

DeviceResult DeviceModel::HandleRequest(const HostMessage& message) {
    switch (message.kind) {
        case HostMessageKind::kUpdateModeRequest:
            return Answer(settings_.updateMode ? kStatusOk : kStatusNotInUpdateMode,
                          settings_.commandTime);
        case HostMessageKind::kEraseRequest:
            return HandleErase(message);
        case HostMessageKind::kWriteData:
            return HandleWrite(message);
        case HostMessageKind::kFinishRequest:
            ++finished_;
            return Answer(kStatusOk, settings_.commandTime);
        default:
            return {{}, Micros{0}, message.problemText};
    }
}

DeviceResult DeviceModel::HandleErase(const HostMessage& message) {
    // A device started normally never touches its flash, whatever it is asked.
    if (!settings_.updateMode) {
        return Answer(kStatusNotInUpdateMode, settings_.commandTime,
                      "erase request while the device is not in its update mode");
    }
    if (!flash_.Erase(message.address, message.size)) {
        return Answer(
            kStatusFlashError, settings_.commandTime,
            "erase request " + RangeText(message.address, message.size) + " outside the flash");
    }
    return Answer(kStatusOk, EraseDuration(settings_, message.size));
}

DeviceResult DeviceModel::HandleWrite(const HostMessage& message) {
    if (!settings_.updateMode) {
        return Answer(kStatusNotInUpdateMode, settings_.commandTime,
                      "write-data frame while the device is not in its update mode");
    }
    const auto range = RangeText(message.address, message.size);
    if (!flash_.Contains(message.address, message.size)) {
        return Answer(kStatusFlashError, settings_.commandTime,
                      "write-data frame " + range + " outside the flash");
    }
    if (!flash_.CanProgram(message.address, message.data)) {
        return Answer(kStatusFlashError, settings_.commandTime,
                      "write-data frame " + range + " over flash that is not erased");
    }
    flash_.Program(message.address, message.data);
    return Answer(kStatusOk, settings_.writeTime);
}

DeviceResult DeviceModel::HandleHostAnswer(const HostMessage& message) {
    if (message.problem != FrameProblem::kNone) {
        return {{}, Micros{0}, message.problemText};
    }
    hostAnswers_.push_back({message.kind, message.value});
    return {};
}

}  // namespace kt73b::emu
