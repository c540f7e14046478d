// A KT-73B in software: takes whole SysEx messages from the host, runs them through the link,
// the device and the fault script, and hands back the device's messages when they are due.
// Not thread-safe: one thread owns it (the programs and the in-process device lock around it).
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "emulator/clock.h"
#include "emulator/device_model.h"
#include "emulator/device_settings.h"
#include "emulator/fault_script.h"
#include "emulator/link_model.h"
#include "emulator/message_log.h"

namespace kt73b::emu {

struct EmulatorSettings {
    DeviceSettings device;
    LinkSettings link;  // the same figures in both directions
    FaultScript faults;
};

// No link and no device time: a device that answers at once, for tests about what is answered
// rather than when, and for measuring the host's own cost.
EmulatorSettings InstantSettings();

struct OutboundMessage {
    Micros due;  // when it reaches the host
    std::vector<std::uint8_t> bytes;
};

class Emulator {
  public:
    explicit Emulator(const Clock& clock, const EmulatorSettings& settings = {});

    // One message the host hands to the link now. The device's work happens at once; its
    // answer becomes due when the link, the device's timings and the faults say.
    void OnHostMessage(std::span<const std::uint8_t> bytes);

    // The device's own requests, sent now: an Identity Request, or F0 52 00 mm cc F7.
    void SendIdentityRequest();
    void SendCommand(std::uint8_t command);

    // When the next message reaches the host; empty when none is under way.
    std::optional<Micros> NextDue();
    // The messages that have reached the host by now, in order of arrival.
    std::vector<OutboundMessage> TakeDue();

    DeviceModel& Device() { return device_; }
    const DeviceModel& Device() const { return device_; }
    FaultScript& Faults() { return faults_; }
    MessageLog& Log() { return log_; }
    const MessageLog& Log() const { return log_; }
    const std::vector<ProtocolError>& ProtocolErrors() const { return log_.ProtocolErrors(); }

    // How many requests of `kind` arrived so far, the count fault rules match against.
    std::uint32_t RequestCount(RequestKind kind) const;
    // True once a "silent" fault has struck; Resume makes the device answer again.
    bool Silent() const { return silent_; }
    void Resume() { silent_ = false; }

  private:
    struct PendingMessage {
        Micros ready;  // when the device hands it to the link
        std::vector<std::uint8_t> bytes;
        std::string note;
    };

    FaultPlan PlanFor(const HostMessage& message);
    DeviceResult Carry(const HostMessage& message, const FaultPlan& plan);
    void SendAnswer(std::size_t entry, Micros arrived, Micros ready, const FaultPlan& plan,
                    std::vector<std::uint8_t> answer);
    void Queue(Micros ready, std::vector<std::uint8_t> bytes, std::string note);
    void CommitReady(Micros now);

    const Clock& clock_;
    DeviceModel device_;
    FaultScript faults_;
    LinkDirection toDevice_;
    LinkDirection toHost_;
    MessageLog log_;
    Micros deviceBusyUntil_{0};
    bool silent_ = false;
    std::array<std::uint32_t, kRequestKindCount> counts_{};
    std::uint32_t overallCount_ = 0;
    // Answers not yet on the link, in the order the device hands them over. They go onto the
    // link only once the clock has passed their ready time, so that an answer held back by a
    // fault does not hold up the answers after it.
    std::deque<PendingMessage> pending_;
    std::deque<OutboundMessage> onLink_;  // arrival order: the link is first in, first out
};

}  // namespace kt73b::emu
