// PipeWire runs the graph at its stock quantum (1,024 frames, 21 ms) unless an active node asks for
// less, and every request and answer of an update costs cycles; so our client asks for a short one.
#include "platform/jack/pipewire_latency.h"

#include <jack/jack.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace kt73b::jack {
namespace {

// 2.7 ms a cycle: a whole update then takes what it takes on jackd at -p 128.
constexpr const char* kShortCycle = "128/48000";

}  // namespace

std::optional<std::string> PipeWireLatencyRequest(const char* jack_version,
                                                  const char* user_setting) {
    // PipeWire's libjack names itself in its version string; jackd's is a bare number.
    const bool pipewire =
        jack_version != nullptr && std::strstr(jack_version, "PipeWire") != nullptr;
    if (!pipewire || user_setting != nullptr) {
        return std::nullopt;
    }
    return kShortCycle;
}

// PipeWire's libjack reads PIPEWIRE_LATENCY at each jack_client_open and makes it the node's
// node.latency, a request of this client alone that ends when it closes. Set once per process
// and never changed again, so no reader of the environment sees it half-written.
void RequestShortCycleOnPipeWire() {
    static std::once_flag once;
    std::call_once(once, [] {
        const auto request =
            PipeWireLatencyRequest(jack_get_version_string(), std::getenv("PIPEWIRE_LATENCY"));
        if (request) {
            setenv("PIPEWIRE_LATENCY", request->c_str(), 0);
        }
    });
}

}  // namespace kt73b::jack
