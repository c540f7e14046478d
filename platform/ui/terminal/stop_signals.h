// Ctrl-C and requests to terminate, turned into a call on a thread of its own, so that a program
// can end its dialog as the user would instead of being killed part-way through an update.
#pragma once

#include <functional>
#include <memory>

namespace kt73b::ui {

class StopSignals {
  public:
    // Must be made before the process starts any other thread: from then on the stop signals
    // reach only this object's thread, which calls `onStop` for each of them. Writing to a pipe
    // that nobody reads any more then fails instead of ending the process.
    explicit StopSignals(std::function<void()> onStop);
    // Ends the thread; the signals stay blocked, so one that comes later is ignored.
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

  private:
    struct Waiter;
    std::unique_ptr<Waiter> waiter_;
};

}  // namespace kt73b::ui
