// The JACK provider's settings, in one plain struct.
#pragma once

#include <chrono>
#include <cstddef>

namespace kt73b::winmm {

struct JackConfig {
    // The layer's own client; JACK numbers it when another process already uses the name.
    const char* clientName = "kt73b-updater";
    const char* inputPortName = "midi_in";
    const char* outputPortName = "midi_out";
    // Each direction's ring between the process thread and the layer: many largest messages.
    std::size_t ringBytes = 1 << 16;
    // How long a send waits for room in the outgoing ring before it fails.
    std::chrono::milliseconds sendTimeout{1000};
    // How long closing an output waits for what was sent to leave the process.
    std::chrono::milliseconds drainTimeout{500};
};

}  // namespace kt73b::winmm
