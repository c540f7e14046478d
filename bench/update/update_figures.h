// What one whole update cost, as the benchmark prints it. Plain data: a run's process hands it
// to the benchmark's through a pipe.
#pragma once

#include <cstdio>

namespace kt73b::bench {

struct UpdateFigures {
    bool completed = false;
    char failure[256] = {};  // why not, when it did not complete

    double wallSeconds = 0;   // from Execute until "Version update completed."
    double boundSeconds = 0;  // the model's lower bound for the same update
    double updaterUser = 0;   // CPU seconds of the updater's threads in that time
    double updaterSystem = 0;
    double deviceCpu = 0;  // CPU seconds of the in-process device's own work, left out above
    long peakResidentKiB = 0;
    // What the peak holds that is not the updater's own: the firmware images it carries, JACK's
    // shared memory, and the in-process emulator's flash and message log.
    long imageKiB = 0;
    long sharedKiB = 0;
    long emulatorKiB = 0;
    // Heap allocations per write-data frame: the worker's (building and sending requests), the
    // receive side's (driver callbacks, the receive thread, the tick), the dialog thread's.
    double sendAllocationsPerFrame = 0;
    double receiveAllocationsPerFrame = 0;
    double uiAllocationsPerFrame = 0;
};

void PrintHeading(std::FILE* out);
void PrintRow(std::FILE* out, const char* setting, const char* delivery,
              const UpdateFigures& figures);

}  // namespace kt73b::bench
