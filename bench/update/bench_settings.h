// The link and device settings a whole update is measured on, and the ways the updater may
// carry answers to the waiting update.
#pragma once

#include <string>
#include <vector>

#include "app/update_timings.h"
#include "emulator/emulator.h"

namespace kt73b::bench {

struct DeviceSetting {
    std::string name;
    std::string description;
    emu::EmulatorSettings emulator;
};

// zero: no link or device time, so everything measured is the updater's own; fast: the
// emulator's defaults, a USB-MIDI device; slow: a slower USB-MIDI link and slower flash.
std::vector<DeviceSetting> DeviceSettings();

enum class Delivery {
    kTick,  // answers wait in the queue for the next 50 ms tick, as before the receive thread
    kWake,  // each answer wakes the receive side as it arrives
};

const char* NameOf(Delivery delivery);

// The update's own time-outs and pauses, as shipped, with the given delivery.
UpdateTimings TimingsFor(Delivery delivery);

}  // namespace kt73b::bench
