// The ALSA provider's device lists and its sequencer client.
#include <cstdio>
#include <map>

#include "platform/winmm/alsa/alsa_provider.h"

namespace kt73b::winmm {

std::vector<PortDescriptor> NameAlsaPorts(const std::vector<AlsaPort>& ports) {
    std::map<int, int> portsPerClient;
    for (const auto& port : ports) {
        ++portsPerClient[port.client];
    }
    std::vector<PortDescriptor> named;
    for (const auto& port : ports) {
        const std::string name = portsPerClient[port.client] == 1
                                     ? port.clientName
                                     : port.clientName + ":" + port.portName;
        named.push_back(
            PortDescriptor{name, std::to_string(port.client) + ":" + std::to_string(port.port)});
    }
    return named;
}

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
    return NameAlsaPorts(sequencer->OtherMidiPorts(readable));
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
