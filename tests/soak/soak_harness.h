// Whole updates of the headless dialog against the emulated device, each drawn from a seed and
// judged by the run's events against what the user was shown; the dialog closes after each.
// KT73B_SOAK_RUNS and KT73B_SOAK_SEED choose the runs, so a failing seed can be run again alone.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "app/run_outcome.h"
#include "fault_draw.h"
#include "tests/dialog/dialog_fixture.h"

namespace kt73b::soak {

// Shortened time-outs: a run with several of them still takes about a second.
UpdateTimings SoakTimings();

class SoakHarness : public testing::DialogTest, private RunObserver {
  protected:
    // Runs shard `shard` of `shards` of the soak's seeds, each as `draw` plans it; reports every
    // broken promise with its seed and how to run it alone, then how the runs ended.
    void RunShard(const char* suite, int shard, int shards, std::uint64_t defaultRuns,
                  const std::function<RunPlan(std::uint64_t)>& draw);

  private:
    std::string RunUpdate(const RunPlan& plan);  // the name of its end, for the tally
    // How the run ended: "completed", "failed", "waiting for the update mode", "closed during
    // the run" or "hung".
    std::string AwaitEnd(std::size_t boxesBefore, const RunPlan& plan);
    bool WaitsForAnAnswerThatCannotCome();
    void JudgeFailure(const std::vector<std::string>& boxes, std::vector<std::string> lines);
    void CloseAndJudge();
    void Expect(bool kept, const std::string& broken);

    // The run's events arrive on the dialog's thread; the test's thread reads the atomics.
    void StepStarted(int step) override {
        step_ = step;
        ++events_;
    }
    void ProgressMoved(std::uint32_t, std::uint32_t) override { ++events_; }
    void StatusTextSet(std::string_view) override { ++events_; }
    void Failed(FailureKind kind) override {
        ++events_;
        outcome_.Failed(kind);
    }
    void Completed() override {
        ++events_;
        outcome_.Completed();
    }

    std::atomic<int> step_{-1};  // 0: the handshake
    std::atomic<std::size_t> events_{0};
    RunOutcome outcome_;              // the one rule of when the run has ended
    std::vector<std::string> found_;  // the broken promises of the current run
};

}  // namespace kt73b::soak
