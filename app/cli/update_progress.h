// How far an update has come in bytes written, and an estimate of the time it still takes, from
// the steps and progress the run reports and when it reported them. The
// estimate measures erasing and writing separately, since they go at very different speeds.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kt73b::cli {

struct ProgressFigures {
    std::uint64_t written = 0;                 // bytes the device has acknowledged
    std::uint64_t total = 0;                   // bytes of the whole update
    std::optional<std::chrono::seconds> left;  // empty until both speeds are known
};

class UpdateProgress {
  public:
    using Clock = std::chrono::steady_clock;

    // The dialog's step counter ("3/6"; 0 before the first step) and progress bar, as of `now`.
    void Observe(int step, int rangeHigh, int position, Clock::time_point now);
    ProgressFigures Figures(Clock::time_point now) const;

  private:
    struct Rate {
        Clock::duration time{};
        std::uint64_t bytes = 0;
    };

    std::uint64_t WrittenInCurrentStep() const;
    void EndStep(Clock::time_point now);

    int step_ = 0;
    Clock::time_point stepStart_{};
    int rangeHigh_ = 0;
    int position_ = 0;
    std::uint64_t writtenBefore_ = 0;  // by the write steps before the current one
    Rate erase_;                       // the erase steps that have ended
    Rate write_;                       // the write steps that have ended
};

// "128/3804 KiB, 0:41 left"; without the time while it is unknown or once all is written.
std::string FormatFigures(const ProgressFigures& figures);

}  // namespace kt73b::cli
