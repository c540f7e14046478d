// Keeps the in-process device's costs apart from the updater's: the CPU time every thread spends
// in the device's own work, and (through the allocation census) what it allocates there.
#pragma once

#include <mutex>

#include "bench/update/cpu_time.h"
#include "emulator/loopback/loopback_emulator.h"

namespace kt73b::bench {

class DeviceWorkMeter final : public emu::DeviceWorkObserver {
  public:
    void WorkBegins(Work work) override;
    void WorkEnds(Work work) override;

    // CPU seconds, summed over every thread so far.
    double DeviceCpuSeconds() const;

  private:
    mutable std::mutex mutex_;
    double total_ = 0;  // under mutex_: each thread adds its spells of device work as they end
};

}  // namespace kt73b::bench
