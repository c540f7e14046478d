// The providers of the layer, in list order: the ALSA sequencer, JACK, the in-process loopback.
#include "platform/winmm/alsa/alsa_provider.h"
#include "platform/winmm/device_catalog.h"
#include "platform/winmm/jack/jack_provider.h"
#include "platform/winmm/loopback/loopback_provider.h"

namespace kt73b::winmm {

// The layer's JACK client under its stock settings, made once and kept for the process.
std::vector<Provider*> DefaultProviders() {
    static auto* jack = new JackProvider(JackConfig{});
    return {&AlsaProvider::Instance(), jack, &LoopbackProvider::Instance()};
}

}  // namespace kt73b::winmm
