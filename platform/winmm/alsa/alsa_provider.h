// The ALSA provider: every readable or writable MIDI port of other sequencer clients, named
// after its client (a USB device's client carries the product's name), or "client:port" where
// the client has several ports of that direction. Without a sequencer it lists nothing.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/winmm/alsa/alsa_config.h"
#include "platform/winmm/alsa/alsa_sequencer.h"
#include "platform/winmm/provider.h"

namespace kt73b::winmm {

class AlsaProvider final : public Provider {
  public:
    explicit AlsaProvider(AlsaConfig config = {}) : config_(std::move(config)) {}

    std::vector<PortDescriptor> ListInputs() override;
    std::vector<PortDescriptor> ListOutputs() override;
    MMRESULT OpenInput(const std::string& key, InputSink& sink,
                       std::unique_ptr<InputConnection>* connection) override;
    MMRESULT OpenOutput(const std::string& key,
                        std::unique_ptr<OutputConnection>* connection) override;

  private:
    // The sequencer client, opening it if there is none; null without a sequencer.
    std::shared_ptr<AlsaSequencer> Sequencer();
    std::vector<PortDescriptor> List(bool readable);

    const AlsaConfig config_;
    std::mutex mutex_;
    std::shared_ptr<AlsaSequencer> sequencer_;  // under mutex_; connections share it
};

// The list entries of one direction's ports, named as above.
std::vector<PortDescriptor> NameAlsaPorts(const std::vector<AlsaPort>& ports);

// A device's key is "client:port"; false when `key` is not one.
bool ParseAlsaKey(const std::string& key, AlsaPort* port);

}  // namespace kt73b::winmm
