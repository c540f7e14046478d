// Closing the dialog at random moments of a run: in the identity wait, the unbounded update-mode
// wait, an erase, any chunk, a retry pause, while a message box shows, or after the run's end.
// Each time the worker must end, and no message box or log line may follow the close; the
// sanitizer builds see to it that nothing is touched after the window has gone.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>

#include "fault_draw.h"
#include "soak_harness.h"
#include "soak_random.h"
#include "soak_settings.h"
#include "soak_tally.h"

namespace kt73b::soak {
namespace {

constexpr int kShards = 2;
constexpr std::uint64_t kDefaultRuns = 200;
// A run without faults sends 1 + 1 + 3 + 1,902 + 1 requests.
constexpr std::uint64_t kRequestsInARun = 1908;

// Runs that fail show a message box: these close in one that is held open.
constexpr const char* kFailingScripts[] = {
    "identity=ignore",     "identity=status:5", "update-mode=status:11",
    "erase#2=ignore",      "erase=status:1",    "write#40-46=ignore",
    "write#9-15=status:8", "finish=ignore",     "identity=model:0x59",
};

struct Plan {
    std::string moment;  // where the close falls, for the tally
    std::string rules;
    CloseMoment close;
};

Plan DrawPlan(std::uint64_t seed) {
    SoakRandom random(seed ^ 0x5A5A5A5A5A5A5A5Aull);
    const UpdateTimings timings = SoakTimings();
    Plan plan;
    switch (random.Weighted(std::array{15u, 15u, 55u, 15u})) {
        case 0:  // in the handshake or the first erase, with whatever faults the draw brings
            plan.moment = "handshake";
            plan.rules = DrawFaults(seed, {timings.writeTimeout, timings.identityTimeout,
                                           timings.retryPause})
                             .rules;
            plan.close.afterRequests = static_cast<std::uint32_t>(random.Between(0, 4));
            break;
        case 1:  // while the message box of a failing run shows
            plan.moment = "message box";
            plan.rules = kFailingScripts[random.Between(0, std::size(kFailingScripts) - 1)];
            plan.close.whileBoxShows = true;
            break;
        case 2:  // anywhere in the run, with random faults
            plan.moment = "anywhere";
            plan.rules = DrawFaults(seed, {timings.writeTimeout, timings.identityTimeout,
                                           timings.retryPause})
                             .rules;
            plan.close.afterRequests =
                static_cast<std::uint32_t>(random.Between(0, kRequestsInARun));
            break;
        default:  // a chunk re-sent after a failing answer: the close may fall in the pause
            plan.moment = "re-sends";
            plan.rules = "write#" + std::to_string(random.Between(1, 1800)) + "+=status:8";
            plan.close.afterRequests = static_cast<std::uint32_t>(random.Between(0, 1900));
            break;
    }
    return plan;
}

class RandomClosing : public SoakHarness, public ::testing::WithParamInterface<int> {};

TEST_P(RandomClosing, TheWorkerEndsAndNothingFollowsTheClose) {
    const SoakSettings settings = ReadSoakSettings(kDefaultRuns);
    SoakTally tally;
    for (std::uint64_t run = 0; run < settings.runs; ++run) {
        if (!InShard(run, GetParam(), kShards))
            continue;
        const std::uint64_t seed = settings.firstSeed + run;
        const Plan plan = DrawPlan(seed);
        const auto start = std::chrono::steady_clock::now();
        const RunRecord record = RunUpdate(plan.rules, plan.close);
        ASSERT_FALSE(HasFatalFailure()) << "seed " << seed << ": the run could not start";
        const auto violations = Violations(record);
        tally.Add({plan.moment}, record, std::chrono::steady_clock::now() - start,
                  violations.empty());
        for (const auto& violation : violations) {
            ADD_FAILURE() << "seed " << seed << ", faults \"" << plan.rules << "\", closed "
                          << (plan.close.whileBoxShows
                                  ? std::string("while a message box showed")
                                  : "after " + std::to_string(plan.close.afterRequests) +
                                        " requests")
                          << ": " << violation << "\n  " << RerunHint(seed, "Shards/RandomClosing");
        }
    }
    std::printf("%s", tally.Report("random closing, shard " + std::to_string(GetParam())).c_str());
}

INSTANTIATE_TEST_SUITE_P(Shards, RandomClosing, ::testing::Range(0, kShards));

}  // namespace
}  // namespace kt73b::soak
