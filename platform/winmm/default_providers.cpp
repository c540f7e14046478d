// The providers of the layer, in list order: the ALSA sequencer, JACK, the in-process loopback.
#include "platform/winmm/alsa/alsa_provider.h"
#include "platform/winmm/device_catalog.h"
#include "platform/winmm/jack/jack_provider.h"
#include "platform/winmm/loopback/loopback_provider.h"

namespace kt73b::winmm {

std::vector<Provider*> DefaultProviders() {
    return {&AlsaProvider::Instance(), &JackProvider::Instance(), &LoopbackProvider::Instance()};
}

}  // namespace kt73b::winmm
