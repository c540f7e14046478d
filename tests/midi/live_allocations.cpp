// Replaces the plain and nothrow forms of operator new and delete of this test binary. A block
// carries a tag in front of it that says whether a nothrow form gave it out; those are counted
// until they come back.
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

constexpr std::size_t kTagBytes = alignof(std::max_align_t);
std::atomic<long> live{0};

void* Take(std::size_t size, bool counted) {
    auto* block = static_cast<unsigned char*>(std::malloc(size + kTagBytes));
    if (block == nullptr) {
        return nullptr;
    }
    block[0] = counted ? 1 : 0;
    live += counted ? 1 : 0;
    return block + kTagBytes;
}

void Give(void* pointer) {
    if (pointer == nullptr) {
        return;
    }
    auto* block = static_cast<unsigned char*>(pointer) - kTagBytes;
    live -= block[0];
    std::free(block);
}

}  // namespace

void* operator new(std::size_t size) {
    if (void* block = Take(size, false)) {
        return block;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Take(size, true);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Take(size, true);
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
    return live.load();
}

}  // namespace kt73b::testing
