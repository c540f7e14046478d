// Replaces the nothrow forms of operator new and every operator delete of this test binary, to
// keep a set of the blocks the nothrow forms gave out.
#include "tests/midi/live_allocations.h"

#include <cstdlib>
#include <mutex>
#include <new>
#include <set>

namespace {

std::mutex& Mutex() {
    static auto* mutex = new std::mutex;
    return *mutex;
}

// Its nodes come from malloc so that keeping the set never counts itself.
template <typename T>
struct MallocAllocator {
    using value_type = T;
    MallocAllocator() = default;
    template <typename U>
    MallocAllocator(const MallocAllocator<U>&) {}
    T* allocate(std::size_t n) { return static_cast<T*>(std::malloc(n * sizeof(T))); }
    void deallocate(T* p, std::size_t) { std::free(p); }
    friend bool operator==(const MallocAllocator&, const MallocAllocator&) { return true; }
};

using BlockSet = std::set<void*, std::less<>, MallocAllocator<void*>>;

BlockSet& Blocks() {
    static auto* blocks = new (std::malloc(sizeof(BlockSet))) BlockSet;
    return *blocks;
}

void* TakeCounted(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block != nullptr) {
        std::lock_guard lock(Mutex());
        Blocks().insert(block);
    }
    return block;
}

void Give(void* block) {
    if (block == nullptr) {
        return;
    }
    {
        std::lock_guard lock(Mutex());
        Blocks().erase(block);
    }
    std::free(block);
}

}  // namespace

void* operator new(std::size_t size) {
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return TakeCounted(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return TakeCounted(size);
}
void operator delete(void* block) noexcept {
    Give(block);
}
void operator delete[](void* block) noexcept {
    Give(block);
}
void operator delete(void* block, std::size_t) noexcept {
    Give(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    Give(block);
}

namespace kt73b::testing {

long LiveNothrowAllocations() {
    std::lock_guard lock(Mutex());
    return static_cast<long>(Blocks().size());
}

}  // namespace kt73b::testing
