// Devices that code in this process registers (the emulator, tests): each appears as one input
// and one output device in the WinMM device lists, after the ALSA and JACK devices.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kt73b::loopback {

// A device in this process that appears in the WinMM device lists (emulator, tests).
class LoopbackDevice {
  public:
    virtual ~LoopbackDevice() = default;
    // One whole long message the host sent to this device. Called on the sending thread, before
    // the host's header is marked done; must return promptly and must copy what it keeps.
    virtual void OnHostMessage(const std::uint8_t* bytes, std::size_t length) = 0;
};

// Adds one input and one output device named `name` (listed after the ALSA and JACK devices,
// duplicate names get " (2)" etc. like every other device). Returns a registration id > 0.
int RegisterDevice(const std::string& name, LoopbackDevice* device);

// After it returns, OnHostMessage of that device is not running and is never called again.
void UnregisterDevice(int id);

// A message from the device to the host: copied and handed, in order, to the input callback of a
// host midiIn that is open and started on that device, on the layer's callback thread. Dropped
// when no host input is open on it. Callable from any thread.
void DeliverToHost(int id, const std::uint8_t* bytes, std::size_t length);

}  // namespace kt73b::loopback
