// The JACK provider: every MIDI port of other clients on the running server, reached through the
// layer's own client. The client lives while a listing or an open device uses it, so no client
// of ours is left on a server that goes away while nothing is open.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/winmm/jack/jack_client.h"
#include "platform/winmm/jack/jack_config.h"
#include "platform/winmm/provider.h"

namespace kt73b::winmm {

class JackProvider final : public Provider {
  public:
    explicit JackProvider(const JackConfig& config) : config_(config) {}

    std::vector<PortDescriptor> ListInputs() override;
    std::vector<PortDescriptor> ListOutputs() override;
    MMRESULT OpenInput(const std::string& key, InputSink& sink,
                       std::unique_ptr<InputConnection>* connection) override;
    MMRESULT OpenOutput(const std::string& key,
                        std::unique_ptr<OutputConnection>* connection) override;

  private:
    // The live client, opening one if none is in use; null when no server runs.
    std::shared_ptr<JackClient> Client();
    std::vector<PortDescriptor> List(unsigned long flags);

    const JackConfig config_;
    std::mutex mutex_;
    std::weak_ptr<JackClient> client_;  // under mutex_; listings and connections own it
};

// The names of one direction's ports (full "client:port" names): a client's name when it has
// only one port in the list, else the full port name.
std::vector<PortDescriptor> NameJackPorts(const std::vector<std::string>& full_names);

}  // namespace kt73b::winmm
