// The one rule of when a run has ended: it completed, or it reported a failure that ends it.
// Whoever waits for a run (a benchmark, the soak) watches it here rather than reading controls.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

#include "app/run_observer.h"

namespace kt73b {

class RunOutcome final : public RunObserver {
  public:
    enum class End { kRunning, kCompleted, kFailed };

    void Failed(FailureKind kind) override;
    void Completed() override;

    // Waits until the run has ended or `timeout` has passed; the end as of then.
    End WaitForEnd(std::chrono::milliseconds timeout);
    // The failure that ended the run, once it has.
    std::optional<FailureKind> Failure() const;
    // For the next run of the same dialog.
    void Reset();

  private:
    // Written on the dialog's thread by the run's events, read by the waiting thread.
    mutable std::mutex mutex_;
    std::condition_variable ended_;
    End end_ = End::kRunning;             // under mutex_
    std::optional<FailureKind> failure_;  // under mutex_
};

}  // namespace kt73b
