// The in-process loopback provider: the devices of loopback_registry.h, each one input and one
// output device of the lists, in the order of registration.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/winmm/loopback/loopback_registry.h"
#include "platform/winmm/provider.h"

namespace kt73b::winmm {

class LoopbackProvider final : public Provider {
  public:
    static LoopbackProvider& Instance();

    std::vector<PortDescriptor> ListInputs() override;
    std::vector<PortDescriptor> ListOutputs() override;
    MMRESULT OpenInput(const std::string& key, InputSink& sink,
                       std::unique_ptr<InputConnection>* connection) override;
    MMRESULT OpenOutput(const std::string& key,
                        std::unique_ptr<OutputConnection>* connection) override;

    int Register(const std::string& name, loopback::LoopbackDevice* device);
    void Unregister(int id);
    void Deliver(int id, const std::uint8_t* bytes, std::size_t length);

    struct Entry {
        int id = 0;
        std::string name;
        // Held around each OnHostMessage and by Unregister, which then clears `device`.
        std::mutex callMutex;
        loopback::LoopbackDevice* device = nullptr;  // under callMutex
        InputSink* hostInput = nullptr;              // under the provider's mutex_
        bool outputOpen = false;                     // under the provider's mutex_
    };

    // Releases an open input or output of `entry`; called by the connections.
    void CloseInput(Entry& entry);
    void CloseOutput(Entry& entry);

  private:
    std::shared_ptr<Entry> FindLocked(const std::string& key) const;
    std::vector<PortDescriptor> List();

    // Guards the entries and their host sides; held while a message is handed to a host input,
    // so that once CloseInput has returned the input is never called again.
    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<Entry>> entries_;  // under mutex_, in order of registration
    int nextId_ = 1;                               // under mutex_
};

}  // namespace kt73b::winmm
