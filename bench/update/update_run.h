// One whole update in this process, through the updater's dialog on the headless back end:
// against the emulator in this process over the loopback, or against the emulator program over
// a JACK server; with what it cost.
#pragma once

#include "bench/update/bench_settings.h"
#include "bench/update/update_figures.h"

namespace kt73b::bench {

enum class Transport { kLoopback, kJack };

struct Route {
    Transport transport = Transport::kLoopback;
    int jackPeriodFrames = 64;  // the JACK server's period, at 48 kHz
};

// Call at most once per process: the figures are the process's.
UpdateFigures RunWholeUpdate(const DeviceSetting& setting, Delivery delivery, const Route& route);

}  // namespace kt73b::bench
