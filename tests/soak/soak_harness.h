// Runs whole updates of the headless dialog against the emulated device, one fault script each,
// and records how each ended (run_record.h), closing the dialog at the end of every run.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/run_outcome.h"
#include "fault_draw.h"
#include "run_record.h"
#include "tests/dialog/dialog_fixture.h"

namespace kt73b::soak {

using namespace std::chrono_literals;

// Shortened time-outs: a run with several of them still takes about a second.
UpdateTimings SoakTimings();
// The same waits, as the fault draw aims its delays at them.
FaultDrawTimings SoakDrawTimings();

// When the user closes the dialog: at the run's end, once the device has received a number of
// requests, or while the first message box of the run shows.
struct CloseMoment {
    static constexpr std::uint32_t kAtTheEnd = ~0u;
    std::uint32_t afterRequests = kAtTheEnd;
    bool whileBoxShows = false;
};

// One run of a soak, drawn from its seed.
struct RunPlan {
    std::string rules;
    CloseMoment close;
    std::vector<std::string>
        tallied;          // what the tally counts for it: faults, or the close's moment
    std::string closing;  // when the dialog closes, for a failing run's message
};

class SoakHarness : public testing::DialogTest {
  protected:
    // Runs shard `shard` of `shards` of the soak's seeds (soak_settings.h), each as `draw` plans
    // it; reports every broken promise with its seed and how to run it alone, then the tally.
    void RunShard(const std::string& suite, const std::string& title, int shard, int shards,
                  std::uint64_t defaultRuns, const std::function<RunPlan(std::uint64_t)>& draw);

    // One update from Execute to its end or to the moment of closing; then the dialog is closed
    // and the device gone.
    RunRecord RunUpdate(const std::string& faultRules, CloseMoment close = {});

    // A run that has not ended after this long has hung.
    std::chrono::seconds runBound_ = 180s;
    // Closing must end the worker within this long.
    std::chrono::seconds closeBound_ = 30s;

  private:
    void StartRun(const std::string& faultRules, const CloseMoment& close);
    RunEnd AwaitEnd(std::size_t boxesBefore, const CloseMoment& close);
    std::uint32_t RequestsReceived();
    bool WaitsForAnAnswerThatCannotCome();
    void RecordWindow(RunRecord& record, std::size_t boxesBefore) const;
    void AwaitFinishTaken();
    void RecordDevice(RunRecord& record);
    void CloseAndRecord(RunRecord& record);

    RunOutcome outcome_;  // the run's end as the run reports it
};

}  // namespace kt73b::soak
