// What the WinMM layer asks of a device provider (ALSA sequencer, JACK, in-process loopback):
// its ports of either direction, and connections to one of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/winmm/mmsystem_api.h"

namespace kt73b::winmm {

// One port as a provider lists it: the name before capping and numbering, and the provider's
// own address of the port.
struct PortDescriptor {
    std::string name;
    std::string key;
};

// Where an open input delivers each whole message it receives (a System Exclusive message from
// F0 to F7, or one short message). Called from the provider's threads; copies what it keeps.
class InputSink {
  public:
    virtual ~InputSink() = default;
    virtual void OnMessage(const std::uint8_t* bytes, std::size_t length) = 0;
};

// An open input. Once its destructor has returned, the sink is never called again.
class InputConnection {
  public:
    virtual ~InputConnection() = default;
};

// An open output.
class OutputConnection {
  public:
    virtual ~OutputConnection() = default;
    // Sends one whole message; MMSYSERR_NOERROR once the provider has it (its own copy or out
    // of the process). Called by one thread at a time.
    virtual MMRESULT Send(const std::uint8_t* bytes, std::size_t length) = 0;
};

class Provider {
  public:
    virtual ~Provider() = default;
    // Ports this process can read from: the midiIn devices.
    virtual std::vector<PortDescriptor> ListInputs() = 0;
    // Ports this process can write to: the midiOut devices.
    virtual std::vector<PortDescriptor> ListOutputs() = 0;
    virtual MMRESULT OpenInput(const std::string& key, InputSink& sink,
                               std::unique_ptr<InputConnection>* connection) = 0;
    virtual MMRESULT OpenOutput(const std::string& key,
                                std::unique_ptr<OutputConnection>* connection) = 0;
};

}  // namespace kt73b::winmm
