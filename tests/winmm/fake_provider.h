// A provider whose ports the test sets, and whose open input the test feeds.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/winmm/device_catalog.h"
#include "platform/winmm/provider.h"

namespace kt73b::winmm {

class FakeProvider final : public Provider {
  public:
    std::vector<PortDescriptor> ListInputs() override { return inputs; }
    std::vector<PortDescriptor> ListOutputs() override { return outputs; }

    MMRESULT OpenInput(const std::string& key, InputSink& sink,
                       std::unique_ptr<InputConnection>* connection) override;
    MMRESULT OpenOutput(const std::string& key,
                        std::unique_ptr<OutputConnection>* connection) override;

    // Hands `bytes` to the open input, as a provider thread would; false when none is open.
    bool Feed(const std::vector<std::uint8_t>& bytes);
    std::vector<std::vector<std::uint8_t>> Sent();

    std::vector<PortDescriptor> inputs;
    std::vector<PortDescriptor> outputs;
    MMRESULT send_result = MMSYSERR_NOERROR;

  private:
    friend class FakeInput;
    friend class FakeOutput;
    std::mutex mutex_;
    InputSink* sink_ = nullptr;                    // under mutex_
    std::vector<std::vector<std::uint8_t>> sent_;  // under mutex_
};

// Puts `providers` in place of the process's for one test, and the process's back after.
class ScopedProviders {
  public:
    explicit ScopedProviders(std::vector<Provider*> providers) {
        SetProvidersForTesting(std::move(providers));
    }
    ~ScopedProviders() { SetProvidersForTesting(DefaultProviders()); }
};

}  // namespace kt73b::winmm
