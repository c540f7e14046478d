// Whole updates against the emulated device, judged by the run's events (soak_harness.h).
// FaultSoak: a fault script drawn from each seed; every run completes with the images, or ends
// with one failure as its row says, or waits for an update-mode answer that cannot come. Each
// row's own script is tests/dialog's (failure paths).
// RandomClosing: the user closes the dialog in the identity wait, the unbounded update-mode
// wait, an erase, any chunk, a retry pause, while a message box shows, or after the end; the
// worker must end, and nothing may follow the close (the sanitizer builds watch for touches).
#include <gtest/gtest.h>

#include "soak_harness.h"

namespace kt73b::soak {
namespace {

// A run without faults sends 1 + 1 + 3 + 1,902 + 1 requests.
constexpr std::uint32_t kRequestsInARun = 1908;

RunPlan ClosingPlan(std::uint64_t seed) {
    SoakRandom random(seed ^ 0x5A5A5A5A5A5A5A5Aull);
    const std::size_t moment = random.Weighted(std::array{15u, 15u, 55u, 15u});
    if (moment == 1) {  // while the message box of a run failing in the handshake or a write
        return {random.Percent(50) ? "identity=status:5" : "write#9-15=status:8",
                RunPlan::kAtTheEnd, true};
    }
    // In the handshake or the first erase, or anywhere, with the faults the draw brings; or in
    // the re-sends of chunks that failing answers refuse, where the close may fall in a pause.
    RunPlan plan = moment == 3
                       ? RunPlan{"write#" + std::to_string(random.Between(1, 1800)) + "+=status:8"}
                       : DrawFaults(seed, SoakTimings());
    plan.closeAfterRequests =
        static_cast<std::uint32_t>(random.Between(0, moment == 0 ? 4 : kRequestsInARun));
    return plan;
}

// Shards let CTest run parts of a soak side by side; each is one test case. The run counts are
// the build's (CMakeLists.txt) unless KT73B_SOAK_RUNS is set.
class FaultSoak : public SoakHarness, public ::testing::WithParamInterface<int> {};
class RandomClosing : public SoakHarness, public ::testing::WithParamInterface<int> {};

TEST_P(FaultSoak, EveryRunCompletesWithTheImagesOrEndsAsItsFailureRowSays) {
    RunShard("FaultSoak", GetParam(), 4, KT73B_FAULT_SOAK_RUNS,
             [](std::uint64_t seed) { return DrawFaults(seed, SoakTimings()); });
}

TEST_P(RandomClosing, TheWorkerEndsAndNothingFollowsTheClose) {
    RunShard("RandomClosing", GetParam(), 2, KT73B_CLOSING_RUNS, ClosingPlan);
}

INSTANTIATE_TEST_SUITE_P(Shards, FaultSoak, ::testing::Range(0, 4));
INSTANTIATE_TEST_SUITE_P(Shards, RandomClosing, ::testing::Range(0, 2));

}  // namespace
}  // namespace kt73b::soak
