// The loopback registry and its device lists.
#include <string>

#include "platform/winmm/loopback/loopback_provider.h"

namespace kt73b::winmm {

LoopbackProvider& LoopbackProvider::Instance() {
    static auto* provider = new LoopbackProvider;
    return *provider;
}

std::vector<PortDescriptor> LoopbackProvider::List() {
    std::lock_guard lock(mutex_);
    std::vector<PortDescriptor> ports;
    for (const auto& entry : entries_) {
        ports.push_back(PortDescriptor{entry->name, std::to_string(entry->id)});
    }
    return ports;
}

std::vector<PortDescriptor> LoopbackProvider::ListInputs() {
    return List();
}

std::vector<PortDescriptor> LoopbackProvider::ListOutputs() {
    return List();
}

std::shared_ptr<LoopbackProvider::Entry> LoopbackProvider::FindLocked(
    const std::string& key) const {
    for (const auto& entry : entries_) {
        if (std::to_string(entry->id) == key) {
            return entry;
        }
    }
    return nullptr;
}

int LoopbackProvider::Register(const std::string& name, loopback::LoopbackDevice* device) {
    auto entry = std::make_shared<Entry>();
    entry->name = name;
    entry->device = device;
    std::lock_guard lock(mutex_);
    entry->id = nextId_++;
    entries_.push_back(entry);
    return entry->id;
}

void LoopbackProvider::Unregister(int id) {
    std::shared_ptr<Entry> entry;
    {
        std::lock_guard lock(mutex_);
        entry = FindLocked(std::to_string(id));
        if (entry == nullptr) {
            return;
        }
        std::erase(entries_, entry);
        entry->hostInput = nullptr;
    }
    // Waits for a message the device is handling; none reaches it afterwards.
    std::lock_guard call(entry->callMutex);
    entry->device = nullptr;
}

void LoopbackProvider::Deliver(int id, const std::uint8_t* bytes, std::size_t length) {
    std::lock_guard lock(mutex_);
    const auto entry = FindLocked(std::to_string(id));
    if (entry != nullptr && entry->hostInput != nullptr) {
        entry->hostInput->OnMessage(bytes, length);
    }
}

}  // namespace kt73b::winmm

namespace kt73b::loopback {

int RegisterDevice(const std::string& name, LoopbackDevice* device) {
    return winmm::LoopbackProvider::Instance().Register(name, device);
}

void UnregisterDevice(int id) {
    winmm::LoopbackProvider::Instance().Unregister(id);
}

void DeliverToHost(int id, const std::uint8_t* bytes, std::size_t length) {
    winmm::LoopbackProvider::Instance().Deliver(id, bytes, length);
}

}  // namespace kt73b::loopback
