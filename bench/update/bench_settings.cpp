#include "bench/update/bench_settings.h"

#include <chrono>

namespace kt73b::bench {

using namespace std::chrono_literals;

std::vector<DeviceSetting> DeviceSettings() {
    DeviceSetting zero{"zero", "no link or device time: the updater's own cost",
                       emu::InstantSettings()};

    DeviceSetting fast{"fast", "USB-MIDI at 144,000 B/s, 1 ms latency; 4 ms per chunk", {}};

    // Two 64-byte USB packets per 1 ms frame, and a flash half as quick.
    DeviceSetting slow{"slow", "USB-MIDI at 96,000 B/s, 1 ms latency; 8 ms per chunk", {}};
    slow.emulator.link.bytesPerSecond = 96000;
    slow.emulator.device.commandTime = 2ms;
    slow.emulator.device.eraseTimePerBlock = 300ms;
    slow.emulator.device.writeTime = 8ms;
    return {zero, fast, slow};
}

const char* NameOf(Delivery delivery) {
    return delivery == Delivery::kTick ? "tick" : "wake";
}

UpdateTimings TimingsFor(Delivery delivery) {
    UpdateTimings timings;
    timings.dispatchOnArrival = delivery == Delivery::kWake;
    return timings;
}

}  // namespace kt73b::bench
