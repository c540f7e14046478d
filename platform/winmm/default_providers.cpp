// The providers of the layer, in list order: the ALSA sequencer, JACK, the in-process loopback.
#include "platform/winmm/alsa/alsa_provider.h"
#include "platform/winmm/device_catalog.h"
#include "platform/winmm/jack/jack_provider.h"
#include "platform/winmm/loopback/loopback_provider.h"

namespace kt73b::winmm {

// The layer's JACK client under its stock settings, made once and kept for the process.
std::vector<Provider*> DefaultProviders() {
    // Made once, with the default settings, and left for the process's end: open devices keep
    // using the providers until then.
    static auto* const alsa = new AlsaProvider();
    static auto* const jack = new JackProvider(JackConfig{});
    return {alsa, jack, &LoopbackProvider::Instance()};
}

}  // namespace kt73b::winmm
