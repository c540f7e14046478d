// The randomized fault soak: whole updates against the emulated device, each with a fault script
// drawn from a seed. Every run must end completed with the flash equal to the images, or with one
// of the update's failure messages and its log lines, or wait for an update-mode answer that
// cannot come (that wait has no time-out); and closing the dialog must end it.
#include <gtest/gtest.h>

#include <cstdio>

#include "fault_draw.h"
#include "soak_harness.h"
#include "soak_settings.h"
#include "soak_tally.h"

namespace kt73b::soak {
namespace {

// Shards let CTest run parts of the soak side by side; each is one test case.
constexpr int kShards = 5;
constexpr std::uint64_t kDefaultRuns = 500;

FaultDrawTimings DrawTimings() {
    const UpdateTimings timings = SoakTimings();
    return {timings.writeTimeout, timings.identityTimeout, timings.retryPause};
}

class FaultSoak : public SoakHarness, public ::testing::WithParamInterface<int> {};

TEST_P(FaultSoak, EveryRunCompletesWithTheImagesOrReportsItsFailure) {
    const SoakSettings settings = ReadSoakSettings(kDefaultRuns);
    SoakTally tally;
    for (std::uint64_t run = 0; run < settings.runs; ++run) {
        if (!InShard(run, GetParam(), kShards))
            continue;
        const std::uint64_t seed = settings.firstSeed + run;
        const DrawnFaults faults = DrawFaults(seed, DrawTimings());
        const auto start = std::chrono::steady_clock::now();
        const RunRecord record = RunUpdate(faults.rules);
        ASSERT_FALSE(HasFatalFailure()) << "seed " << seed << ": the run could not start";
        const auto violations = Violations(record);
        tally.Add(faults.effects, record, std::chrono::steady_clock::now() - start,
                  violations.empty());
        for (const auto& violation : violations) {
            ADD_FAILURE() << "seed " << seed << ", faults \"" << faults.rules << "\", "
                          << RunEndName(record.end) << ": " << violation << "\n  "
                          << RerunHint(seed, "Shards/FaultSoak");
        }
    }
    std::printf("%s", tally.Report("fault soak, shard " + std::to_string(GetParam())).c_str());
}

INSTANTIATE_TEST_SUITE_P(Shards, FaultSoak, ::testing::Range(0, kShards));

}  // namespace
}  // namespace kt73b::soak
