// --json: the run's events as JSON objects, one to a line, so that a service bench can script
// the updater. Every object names its device by instance number; the last one for a device is
// its "final" object with how the run ended.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "app/run_observer.h"

namespace kt73b::cli {

// How one device's update ended, as the final object and --all's summary give it.
struct DeviceEnd {
    int device = 0;
    std::string in;      // the MIDI IN port's name; empty when unknown
    std::string out;     // the MIDI OUT port's name
    std::string result;  // the dialog's own text for the end, or the program's where it has none
    int exitStatus = 0;  // what kt73b-update for this device alone exits with
    int step = 0;        // the step the run was in when it ended
    double seconds = 0;  // from start to end
};

std::string FinalObject(const DeviceEnd& end);

// Writes each event as an object, then passes it on to `next`. Runs on the dialog's thread.
class JsonEvents final : public RunObserver {
  public:
    using Sink = std::function<void(std::string_view)>;
    JsonEvents(int device, Sink out, RunObserver& next);

    void StepStarted(int step) override;
    void ProgressMoved(std::uint32_t position, std::uint32_t high) override;
    void StatusTextSet(std::string_view text) override;
    void Failed(FailureKind kind) override;
    void Completed() override;

    int Step() const { return step_; }
    // The box text of the failure that ended the run, or the completion text; empty before.
    const std::string& Result() const { return result_; }

  private:
    void Write(std::string_view event, std::string_view key = {}, std::string_view value = {});

    const int device_;
    Sink out_;
    RunObserver& next_;
    int step_ = 0;
    std::string result_;
};

}  // namespace kt73b::cli
