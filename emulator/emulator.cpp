#include "emulator/emulator.h"

#include <algorithm>
#include <utility>

#include "emulator/device_messages.h"
#include "emulator/host_message.h"
#include "engine/protocol_constants.h"

namespace kt73b::emu {

namespace {

void PatchModelByte(std::vector<std::uint8_t>& message, std::uint8_t model) {
    const bool identity = message.size() > 1 && message[1] == kUniversalNonRealTime;
    const std::size_t at = identity ? kIdentityModelByteOffset : kModelByteOffset;
    if (at < message.size()) {
        message[at] = model;
    }
}

std::string DescribeAnswerFaults(const FaultPlan& plan) {
    std::string text;
    const auto add = [&text](const std::string& part) {
        text += text.empty() ? "fault: " + part : ", " + part;
    };
    if (plan.status) {
        add("status " + std::to_string(*plan.status));
    }
    if (plan.model) {
        add("model byte " + std::to_string(*plan.model));
    }
    if (plan.delay != Micros{0} || plan.late) {
        add("held back");
    }
    if (plan.copies > 1) {
        add("sent twice");
    }
    if (plan.truncateBytes != 0) {
        add("cut to " + std::to_string(plan.truncateBytes) + " bytes");
    }
    if (plan.splitBytes != 0) {
        add("in pieces of " + std::to_string(plan.splitBytes) + " bytes");
    }
    return text;
}

}  // namespace

Emulator::Emulator(const Clock& clock, const EmulatorSettings& settings)
    : clock_(clock),
      device_(settings.device),
      faults_(settings.faults),
      toDevice_(settings.link),
      toHost_(settings.link) {}

std::uint32_t Emulator::RequestCount(RequestKind kind) const {
    return counts_[static_cast<std::size_t>(kind)];
}

void Emulator::OnHostMessage(std::span<const std::uint8_t> bytes) {
    const Micros sent = clock_.Now();
    const Micros arrives = toDevice_.Transfer(sent, bytes.size());
    const std::size_t entry = log_.Add(Direction::kHostToDevice, sent, arrives, bytes);
    const HostMessage message = ParseHostMessage(bytes);
    const FaultPlan plan = PlanFor(message);
    silent_ = silent_ || plan.silent;
    if (silent_) {
        log_.AddNote(entry, "not taken: the device has stopped answering");
        return;
    }
    if (plan.ignore) {
        log_.AddNote(entry, "fault: lost on its way to the device");
        return;
    }
    // The device works through its messages one at a time, in order of arrival.
    const Micros start = std::max(arrives, deviceBusyUntil_);
    DeviceResult result = Carry(message, plan);
    deviceBusyUntil_ = start + result.busy;
    if (!result.problem.empty()) {
        log_.AddNote(entry, result.problem);
        log_.AddProtocolError(arrives, std::move(result.problem));
    }
    if (!result.answer.empty()) {
        SendAnswer(entry, arrives, deviceBusyUntil_, plan, std::move(result.answer));
    }
}

FaultPlan Emulator::PlanFor(const HostMessage& message) {
    const auto kind = RequestKindOf(message.kind);
    if (!kind) {
        return {};
    }
    const std::uint32_t occurrence = ++counts_[static_cast<std::size_t>(*kind)];
    return faults_.PlanFor(*kind, occurrence, ++overallCount_);
}

DeviceResult Emulator::Carry(const HostMessage& message, const FaultPlan& plan) {
    if (!plan.status) {
        return device_.Handle(message);
    }
    const DeviceSettings& settings = device_.Settings();
    return {BuildDeviceAnswer(settings.model, *plan.status), settings.commandTime,
            message.problemText};
}

void Emulator::SendAnswer(std::size_t entry, Micros arrived, Micros ready, const FaultPlan& plan,
                          std::vector<std::uint8_t> answer) {
    if (plan.drop) {
        log_.AddNote(entry, "fault: the answer is lost");
        return;
    }
    if (plan.model) {
        PatchModelByte(answer, *plan.model);
    }
    ready += plan.delay;
    if (plan.late) {
        ready = std::max(ready, arrived + *plan.late);
    }
    if (plan.truncateBytes != 0 && plan.truncateBytes < answer.size()) {
        answer.resize(plan.truncateBytes);
    }
    const std::string note = DescribeAnswerFaults(plan);
    const std::size_t piece = plan.splitBytes != 0 ? plan.splitBytes : answer.size();
    for (int copy = 0; copy < plan.copies; ++copy) {
        for (std::size_t at = 0; at < answer.size(); at += piece) {
            const auto first = answer.begin() + static_cast<std::ptrdiff_t>(at);
            const auto length = static_cast<std::ptrdiff_t>(std::min(piece, answer.size() - at));
            Queue(ready, {first, first + length}, note);
        }
    }
}

void Emulator::SendIdentityRequest() {
    Queue(clock_.Now(), BuildDeviceIdentityRequest(), "the device's own request");
}

void Emulator::SendCommand(std::uint8_t command) {
    Queue(clock_.Now(), BuildDeviceCommand(device_.Settings().model, command),
          "the device's own request");
}

void Emulator::Queue(Micros ready, std::vector<std::uint8_t> bytes, std::string note) {
    const auto at = std::upper_bound(
        pending_.begin(), pending_.end(), ready,
        [](Micros time, const PendingMessage& message) { return time < message.ready; });
    pending_.insert(at, {ready, std::move(bytes), std::move(note)});
}

void Emulator::CommitReady(Micros now) {
    while (!pending_.empty() && pending_.front().ready <= now) {
        PendingMessage& message = pending_.front();
        const Micros due = toHost_.Transfer(message.ready, message.bytes.size());
        log_.Add(Direction::kDeviceToHost, message.ready, due, message.bytes,
                 std::move(message.note));
        onLink_.push_back({due, std::move(message.bytes)});
        pending_.pop_front();
    }
}

std::optional<Micros> Emulator::NextDue() {
    CommitReady(clock_.Now());
    std::optional<Micros> next;
    if (!onLink_.empty()) {
        next = onLink_.front().due;
    }
    if (!pending_.empty()) {
        const PendingMessage& message = pending_.front();
        const Micros due = toHost_.ArrivalIfSent(message.ready, message.bytes.size());
        next = next ? std::min(*next, due) : due;
    }
    return next;
}

std::vector<OutboundMessage> Emulator::TakeDue() {
    const Micros now = clock_.Now();
    CommitReady(now);
    std::vector<OutboundMessage> due;
    while (!onLink_.empty() && onLink_.front().due <= now) {
        due.push_back(std::move(onLink_.front()));
        onLink_.pop_front();
    }
    return due;
}

EmulatorSettings InstantSettings() {
    EmulatorSettings settings;
    settings.link.bytesPerSecond = 0;
    settings.link.latency = Micros{0};
    settings.device.commandTime = Micros{0};
    settings.device.eraseTimePerBlock = Micros{0};
    settings.device.writeTime = Micros{0};
    return settings;
}

}  // namespace kt73b::emu
