// The JACK provider's device lists and its client.
#include <jack/jack.h>

#include <map>

#include "platform/winmm/jack/jack_provider.h"

namespace kt73b::winmm {
namespace {

std::string ClientOf(const std::string& full_name) {
    return full_name.substr(0, full_name.find(':'));
}

}  // namespace

std::vector<PortDescriptor> NameJackPorts(const std::vector<std::string>& full_names) {
    std::map<std::string, int> ports_per_client;
    for (const auto& name : full_names) {
        ++ports_per_client[ClientOf(name)];
    }
    std::vector<PortDescriptor> ports;
    for (const auto& name : full_names) {
        const std::string client = ClientOf(name);
        ports.push_back(PortDescriptor{ports_per_client[client] == 1 ? client : name, name});
    }
    return ports;
}

std::shared_ptr<JackClient> JackProvider::Client() {
    std::lock_guard lock(mutex_);
    auto client = client_.lock();
    if (client == nullptr || !client->Alive()) {
        client = JackClient::Open(config_);
        client_ = client;
    }
    return client;
}

std::vector<PortDescriptor> JackProvider::List(unsigned long flags) {
    const auto client = Client();
    if (client == nullptr) {
        return {};
    }
    return NameJackPorts(client->OtherMidiPorts(flags));
}

// Our inputs are the ports that other clients write into.
std::vector<PortDescriptor> JackProvider::ListInputs() {
    return List(JackPortIsOutput);
}

std::vector<PortDescriptor> JackProvider::ListOutputs() {
    return List(JackPortIsInput);
}

}  // namespace kt73b::winmm
