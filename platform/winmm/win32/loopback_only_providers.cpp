// The providers of the layer's Windows test build: the in-process loopback alone, so a test
// program sees the devices it registers and nothing of the machine's.
#include "platform/winmm/device_catalog.h"
#include "platform/winmm/loopback/loopback_provider.h"

namespace kt73b::winmm {

std::vector<Provider*> DefaultProviders() {
    return {&LoopbackProvider::Instance()};
}

}  // namespace kt73b::winmm
