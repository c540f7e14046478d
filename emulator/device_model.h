// The device itself: what it does with each message from the host and what it answers, with the
// time the work takes. Knows nothing of links, faults or clocks; the emulator adds those.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "emulator/clock.h"
#include "emulator/device_settings.h"
#include "emulator/flash_memory.h"
#include "emulator/host_message.h"

namespace kt73b::emu {

struct DeviceResult {
    std::vector<std::uint8_t> answer;  // empty: the device does not answer
    Micros busy{0};                    // the work before the answer leaves the device
    std::string problem;               // for the list of protocol errors; empty when in order
};

// What the host answered to one of the device's own requests.
struct HostAnswer {
    HostMessageKind kind;  // kHostReply or kHostIdentityReply
    std::uint8_t value;    // the reply's result, or the identity reply's family code
};

class DeviceModel {
  public:
    explicit DeviceModel(const DeviceSettings& settings = {});

    DeviceSettings& Settings() { return settings_; }
    const DeviceSettings& Settings() const { return settings_; }
    FlashMemory& Flash() { return flash_; }
    const FlashMemory& Flash() const { return flash_; }

    DeviceResult Handle(const HostMessage& message);

    int FinishedCount() const { return finished_; }
    const std::vector<HostAnswer>& HostAnswers() const { return hostAnswers_; }

  private:
    DeviceResult Answer(std::uint8_t status, Micros busy, std::string problem = {}) const;
    DeviceResult HandleRequest(const HostMessage& message);
    DeviceResult HandleErase(const HostMessage& message);
    DeviceResult HandleWrite(const HostMessage& message);
    DeviceResult HandleHostAnswer(const HostMessage& message);
    std::string ModelMismatch(const HostMessage& message) const;

    DeviceSettings settings_;
    FlashMemory flash_;
    int finished_ = 0;
    std::vector<HostAnswer> hostAnswers_;
};

}  // namespace kt73b::emu
