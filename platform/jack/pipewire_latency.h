// The short cycle our JACK client asks for when the JACK library it runs on is PipeWire's.
#pragma once

#include <optional>
#include <string>

namespace kt73b::jack {

// What to ask PipeWire for at client open, given the JACK library's version string and the
// user's own PIPEWIRE_LATENCY (null when unset): nothing on jackd, nothing when the user chose.
std::optional<std::string> PipeWireLatencyRequest(const char* jack_version,
                                                  const char* user_setting);

// Makes the request for every client this process opens from now on; call before the first
// jack_client_open. Does nothing on jackd.
void RequestShortCycleOnPipeWire();

}  // namespace kt73b::jack
