// Every heap allocation of this program (operator new in all its forms), counted by the thread
// that made it and by whether the in-process device's own work made it. Threads are told apart
// by their part in an update; a thread nobody named counts as the receive side.
#pragma once

#include <array>
#include <cstddef>

namespace kt73b::bench {

enum class ThreadPart : int {
    kReceive,  // the receive side: input callbacks, the receive thread, the timer, JACK's threads
    kWorker,   // the update's worker: building and sending requests, its control updates
    kUi,       // the dialog's thread
    kDevice,   // the in-process device's thread, outside the device's own work
    kBench,    // this program's own thread
    kCount
};

// The calling thread's part, for all it allocated before and will allocate.
void NameThisThread(ThreadPart part);
// The same for a thread that has no part yet; a named thread keeps its own.
void NameThisThreadIfUnnamed(ThreadPart part);

// Allocations the calling thread makes between these two are the device's own.
void DeviceWorkBegins();
void DeviceWorkEnds();

struct AllocationCounts {
    std::array<long, static_cast<std::size_t>(ThreadPart::kCount)> byPart{};
    long device = 0;

    long Of(ThreadPart part) const { return byPart[static_cast<std::size_t>(part)]; }
};

// Everything counted so far, over all threads, also those that have ended.
AllocationCounts CountAllocations();

AllocationCounts operator-(const AllocationCounts& later, const AllocationCounts& earlier);

}  // namespace kt73b::bench
