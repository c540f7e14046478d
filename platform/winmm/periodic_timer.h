// One timeSetEvent timer of the layer: a thread that calls the procedure every period, until
// it is killed. Ticks of one timer never overlap, and Kill returns only when none runs.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/winmm/mmsystem_api.h"

namespace kt73b::winmm {

class PeriodicTimer : public std::enable_shared_from_this<PeriodicTimer> {
  public:
    PeriodicTimer(UINT id, UINT period_ms, LPTIMECALLBACK procedure, DWORD_PTR user);
    ~PeriodicTimer();

    void Start();
    // Ends the ticks; from a tick of this timer it cannot wait for itself, so the thread then
    // ends as soon as that tick returns.
    void Kill();

  private:
    void Run();

    const UINT id_;
    const std::chrono::milliseconds period_;
    const LPTIMECALLBACK procedure_;
    const DWORD_PTR user_;

    std::mutex mutex_;
    std::condition_variable killedChanged_;
    bool killed_ = false;  // under mutex_: written by Kill, read by the timer's thread
    std::thread thread_;   // started and joined by the owner's thread
};

// How many timeBeginPeriod calls have no timeEndPeriod yet; for tests of the balance.
int OutstandingTimePeriods();

}  // namespace kt73b::winmm
