// Closing the dialog at random moments of a run: in the identity wait, the unbounded update-mode
// wait, an erase, any chunk, a retry pause, while a message box shows, or after the run's end.
// Each time the worker must end, and no message box or log line may follow the close; the
// sanitizer builds see to it that nothing is touched after the window has gone.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "soak_harness.h"
#include "soak_random.h"

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

RunPlan DrawPlan(std::uint64_t seed) {
    SoakRandom random(seed ^ 0x5A5A5A5A5A5A5A5Aull);
    RunPlan plan;
    std::string moment;
    switch (random.Weighted(std::array{15u, 15u, 55u, 15u})) {
        case 0:  // in the handshake or the first erase, with whatever faults the draw brings
            moment = "handshake";
            plan.rules = DrawFaults(seed, SoakDrawTimings()).rules;
            plan.close.afterRequests = static_cast<std::uint32_t>(random.Between(0, 4));
            break;
        case 1:  // while the message box of a failing run shows
            moment = "message box";
            plan.rules = kFailingScripts[random.Between(0, std::size(kFailingScripts) - 1)];
            plan.close.whileBoxShows = true;
            break;
        case 2:  // anywhere in the run, with random faults
            moment = "anywhere";
            plan.rules = DrawFaults(seed, SoakDrawTimings()).rules;
            plan.close.afterRequests =
                static_cast<std::uint32_t>(random.Between(0, kRequestsInARun));
            break;
        default:  // a chunk re-sent after a failing answer: the close may fall in the pause
            moment = "re-sends";
            plan.rules = "write#" + std::to_string(random.Between(1, 1800)) + "+=status:8";
            plan.close.afterRequests = static_cast<std::uint32_t>(random.Between(0, 1900));
            break;
    }
    plan.tallied = {moment};
    plan.closing = plan.close.whileBoxShows
                       ? "closed while a message box showed"
                       : "closed after " + std::to_string(plan.close.afterRequests) + " requests";
    return plan;
}

class RandomClosing : public SoakHarness, public ::testing::WithParamInterface<int> {};

TEST_P(RandomClosing, TheWorkerEndsAndNothingFollowsTheClose) {
    RunShard("RandomClosing", "random closing", GetParam(), kShards, kDefaultRuns, DrawPlan);
}

INSTANTIATE_TEST_SUITE_P(Shards, RandomClosing, ::testing::Range(0, kShards));

}  // namespace
}  // namespace kt73b::soak
