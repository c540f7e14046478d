// Runs whole updates of the headless dialog against the emulated device, one fault script each,
// and records how each ended (run_record.h), closing the dialog at the end of every run.
#pragma once

#include <chrono>
#include <string>

#include "run_record.h"
#include "tests/dialog/dialog_fixture.h"

namespace kt73b::soak {

using namespace std::chrono_literals;

// Shortened time-outs: a run with several of them still takes about a second.
UpdateTimings SoakTimings();

// When the user closes the dialog: at the run's end, once the device has received a number of
// requests, or while the first message box of the run shows.
struct CloseMoment {
    static constexpr std::uint32_t kAtTheEnd = ~0u;
    std::uint32_t afterRequests = kAtTheEnd;
    bool whileBoxShows = false;
};

class SoakHarness : public testing::DialogTest {
  protected:
    // One update from Execute to its end or to the moment of closing; then the dialog is closed
    // and the device gone.
    RunRecord RunUpdate(const std::string& faultRules, CloseMoment close = {});

    // A run that has not ended after this long has hung.
    std::chrono::seconds runBound_ = 180s;
    // Closing must end the worker within this long.
    std::chrono::seconds closeBound_ = 30s;

  private:
    enum class Ending { kRunning, kCompleted, kFailed };

    void StartRun(const std::string& faultRules, const CloseMoment& close);
    RunEnd AwaitEnd(std::size_t boxesBefore, const CloseMoment& close);
    std::uint32_t RequestsReceived();
    static Ending EndingLocked(const ui::HeadlessBackend& backend, std::size_t boxesBefore);
    bool WaitsForAnAnswerThatCannotCome();
    void RecordWindow(RunRecord& record, std::size_t boxesBefore) const;
    void AwaitFinishTaken();
    void RecordDevice(RunRecord& record);
    void CloseAndRecord(RunRecord& record);
};

}  // namespace kt73b::soak
