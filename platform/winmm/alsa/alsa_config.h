// The ALSA provider's settings, in one plain struct.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace kt73b::winmm {

struct AlsaConfig {
    // Our sequencer client's name, as other clients list it.
    std::string clientName = "KT-73B Updater";
    // The longest message sent through the sequencer: the client's output pool is sized for it,
    // since a send larger than the pool fails (the default pool holds about 16 KB).
    std::size_t largestMessageBytes = 8192;
    // How long a send waits for room in the output pool before it fails.
    std::chrono::milliseconds sendTimeout{1000};
};

}  // namespace kt73b::winmm
