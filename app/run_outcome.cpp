#include "app/run_outcome.h"

namespace kt73b {

void RunOutcome::Failed(FailureKind kind) {
    if (!RowFor(kind).endsRun) {
        return;
    }
    {
        std::lock_guard lock(mutex_);
        end_ = End::kFailed;
        failure_ = kind;
    }
    ended_.notify_all();
}

void RunOutcome::Completed() {
    {
        std::lock_guard lock(mutex_);
        end_ = End::kCompleted;
    }
    ended_.notify_all();
}

RunOutcome::End RunOutcome::WaitForEnd(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    ended_.wait_for(lock, timeout, [this] { return end_ != End::kRunning; });
    return end_;
}

std::optional<FailureKind> RunOutcome::Failure() const {
    std::lock_guard lock(mutex_);
    return failure_;
}

void RunOutcome::Reset() {
    std::lock_guard lock(mutex_);
    end_ = End::kRunning;
    failure_.reset();
}

}  // namespace kt73b
