// The emulator's time: microseconds since its start, read from a clock the caller chooses, so
// tests run a whole update in virtual time and the programs run the same model in real time.
#pragma once

#include <chrono>

namespace kt73b::emu {

using Micros = std::chrono::microseconds;

class Clock {
  public:
    virtual ~Clock() = default;
    virtual Micros Now() const = 0;
};

// Moves only when told to; a test advances it to the next due answer instead of sleeping.
class VirtualClock final : public Clock {
  public:
    Micros Now() const override { return now_; }
    // Never moves backwards: an earlier time leaves the clock where it is.
    void AdvanceTo(Micros time) {
        if (time > now_) {
            now_ = time;
        }
    }
    void AdvanceBy(Micros duration) { AdvanceTo(now_ + duration); }

  private:
    Micros now_{0};
};

// Real time since construction, for the emulator program and the in-process device.
class SteadyClock final : public Clock {
  public:
    Micros Now() const override {
        return std::chrono::duration_cast<Micros>(std::chrono::steady_clock::now() - start_);
    }
    std::chrono::steady_clock::time_point TimePointOf(Micros time) const { return start_ + time; }

  private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace kt73b::emu
