// The ALSA provider's device lists and its sequencer client.
#include <cstdio>

#include "platform/winmm/alsa/alsa_provider.h"

namespace kt73b::winmm {

std::shared_ptr<AlsaSequencer> AlsaProvider::Sequencer() {
    std::lock_guard lock(mutex_);
    if (sequencer_ == nullptr) {
        sequencer_ = AlsaSequencer::Open(config_);
    }
    return sequencer_;
}

std::vector<PortDescriptor> AlsaProvider::List(bool readable) {
    const auto sequencer = Sequencer();
    if (sequencer == nullptr) {
        return {};
    }
    std::vector<PortDescriptor> ports;
    for (const auto& port : sequencer->OtherMidiPorts(readable)) {
        ports.push_back(PortDescriptor{
            port.client_name, std::to_string(port.client) + ":" + std::to_string(port.port)});
    }
    return ports;
}

std::vector<PortDescriptor> AlsaProvider::ListInputs() {
    return List(true);
}

std::vector<PortDescriptor> AlsaProvider::ListOutputs() {
    return List(false);
}

bool ParseAlsaKey(const std::string& key, AlsaPort* port) {
    int client = -1;
    int number = -1;
    char tail = 0;
    if (std::sscanf(key.c_str(), "%d:%d%c", &client, &number, &tail) != 2 || client < 0 ||
        number < 0) {
        return false;
    }
    port->client = client;
    port->port = number;
    return true;
}

}  // namespace kt73b::winmm
