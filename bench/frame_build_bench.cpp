// Time to build one 2,359-byte write-data frame (packing and check value) from the linked-in
// image, and the number of heap allocations per frame, which must be zero.
#include <benchmark/benchmark.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <new>

#include "engine/image_set.h"
#include "engine/outbound_messages.h"
#include "engine/protocol_constants.h"

namespace {
std::atomic<long> g_allocations{0};
}

void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

void BM_BuildWriteDataFrame(benchmark::State& state) {
    const auto image = kt73b::LookupImage(kt73b::kImageHigh);
    static std::array<std::uint8_t, kt73b::kMessageBufferBytes> buffer{};
    std::size_t offset = 0;
    const long before = g_allocations.load();
    for (auto _ : state) {
        const auto chunk = image.subspan(offset, kt73b::kWriteChunkBytes);
        benchmark::DoNotOptimize(kt73b::BuildWriteDataFrame(
            buffer, 0x57, static_cast<std::uint32_t>(0x0F0000 + offset), chunk));
        benchmark::ClobberMemory();
        offset = (offset + kt73b::kWriteChunkBytes) % image.size();
    }
    const long allocations = g_allocations.load() - before;
    state.counters["allocs_per_frame"] =
        static_cast<double>(allocations) / static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            kt73b::kWriteChunkBytes);
}
BENCHMARK(BM_BuildWriteDataFrame);

}  // namespace

BENCHMARK_MAIN();
