// A provider that lists the ports it is given and opens none of them, counting the attempts:
// put in place of the process's providers where a test needs devices of chosen names.
#pragma once

#include <atomic>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "platform/winmm/provider.h"

namespace kt73b::testing {

class ListedPorts final : public winmm::Provider {
  public:
    ListedPorts(std::initializer_list<winmm::PortDescriptor> ports) : ports_(ports) {}
    std::vector<winmm::PortDescriptor> ListInputs() override { return ports_; }
    std::vector<winmm::PortDescriptor> ListOutputs() override { return ports_; }
    MMRESULT OpenInput(const std::string&, winmm::InputSink&,
                       std::unique_ptr<winmm::InputConnection>*) override {
        ++opens_;
        return MMSYSERR_ALLOCATED;
    }
    MMRESULT OpenOutput(const std::string&, std::unique_ptr<winmm::OutputConnection>*) override {
        ++opens_;
        return MMSYSERR_ALLOCATED;
    }

    std::vector<winmm::PortDescriptor> ports_;  // the test's thread only
    std::atomic<int> opens_{0};                 // counted on whichever thread opens
};

}  // namespace kt73b::testing
