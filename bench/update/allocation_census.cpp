#include "bench/update/allocation_census.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>

namespace kt73b::bench {
namespace {

// Slots live in static storage, so counting never allocates; a thread takes one for good.
constexpr int kMaxThreads = 512;

struct ThreadSlot {
    std::atomic<int> part{static_cast<int>(ThreadPart::kReceive)};
    std::atomic<long> host{0};    // written by the slot's thread, read by the bench's
    std::atomic<long> device{0};  // the same, during the device's own work
};

ThreadSlot g_slots[kMaxThreads];
std::atomic<int> g_slotsTaken{0};
ThreadSlot g_overflow;  // shared by threads beyond kMaxThreads

thread_local ThreadSlot* t_slot = nullptr;
thread_local int t_deviceWork = 0;

ThreadSlot& Slot() {
    if (t_slot == nullptr) {
        const int index = g_slotsTaken.fetch_add(1, std::memory_order_relaxed);
        t_slot = index < kMaxThreads ? &g_slots[index] : &g_overflow;
    }
    return *t_slot;
}

void CountOne() {
    ThreadSlot& slot = Slot();
    (t_deviceWork > 0 ? slot.device : slot.host).fetch_add(1, std::memory_order_relaxed);
}

void* Allocate(std::size_t size) noexcept {
    CountOne();
    return std::malloc(size == 0 ? 1 : size);
}

}  // namespace

void NameThisThread(ThreadPart part) {
    Slot().part.store(static_cast<int>(part), std::memory_order_relaxed);
}

void NameThisThreadIfUnnamed(ThreadPart part) {
    int unnamed = static_cast<int>(ThreadPart::kReceive);
    Slot().part.compare_exchange_strong(unnamed, static_cast<int>(part), std::memory_order_relaxed);
}

void DeviceWorkBegins() {
    ++t_deviceWork;
}

void DeviceWorkEnds() {
    --t_deviceWork;
}

AllocationCounts CountAllocations() {
    AllocationCounts counts;
    const int taken = std::min(g_slotsTaken.load(), kMaxThreads);
    auto add = [&counts](const ThreadSlot& slot) {
        const auto part = static_cast<std::size_t>(slot.part.load(std::memory_order_relaxed));
        counts.byPart[part] += slot.host.load(std::memory_order_relaxed);
        counts.device += slot.device.load(std::memory_order_relaxed);
    };
    for (int i = 0; i < taken; ++i) {
        add(g_slots[i]);
    }
    add(g_overflow);
    return counts;
}

AllocationCounts operator-(const AllocationCounts& later, const AllocationCounts& earlier) {
    AllocationCounts difference;
    for (std::size_t i = 0; i < difference.byPart.size(); ++i) {
        difference.byPart[i] = later.byPart[i] - earlier.byPart[i];
    }
    difference.device = later.device - earlier.device;
    return difference;
}

}  // namespace kt73b::bench

// The replaceable allocation functions; every delete form frees what malloc gave.
void* operator new(std::size_t size) {
    if (void* p = kt73b::bench::Allocate(size)) {
        return p;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    if (void* p = kt73b::bench::Allocate(size)) {
        return p;
    }
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return kt73b::bench::Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return kt73b::bench::Allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
