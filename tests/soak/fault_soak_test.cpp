// The randomized fault soak: whole updates against the emulated device, each with a fault script
// drawn from a seed. Every run must end completed with the flash equal to the images, or with one
// of the update's failure messages and its log lines, or wait for an update-mode answer that
// cannot come (that wait has no time-out); and closing the dialog must end it.
#include <gtest/gtest.h>

#include <utility>

#include "soak_harness.h"

namespace kt73b::soak {
namespace {

// Shards let CTest run parts of the soak side by side; each is one test case.
constexpr int kShards = 5;
constexpr std::uint64_t kDefaultRuns = 500;

class FaultSoak : public SoakHarness, public ::testing::WithParamInterface<int> {};

TEST_P(FaultSoak, EveryRunCompletesWithTheImagesOrReportsItsFailure) {
    RunShard("FaultSoak", "fault soak", GetParam(), kShards, kDefaultRuns, [](std::uint64_t seed) {
        DrawnFaults faults = DrawFaults(seed, SoakDrawTimings());
        return RunPlan{faults.rules, {}, std::move(faults.effects), ""};
    });
}

INSTANTIATE_TEST_SUITE_P(Shards, FaultSoak, ::testing::Range(0, kShards));

}  // namespace
}  // namespace kt73b::soak
