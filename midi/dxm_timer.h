// CDxMTimer: calls a procedure every period on a thread of the platform's multimedia timer,
// with the timer resolution raised to the finest the platform offers while it runs.
#pragma once

#include "platform/winmm/mmsystem_api.h"

namespace kt73b {

class CDxMTimer {
  public:
    CDxMTimer();
    // Stops the timer. A class that overrides OnTick must Stop in its own destructor, before
    // the ticks could reach a half-destroyed object.
    virtual ~CDxMTimer();
    CDxMTimer(const CDxMTimer&) = delete;
    CDxMTimer& operator=(const CDxMTimer&) = delete;

    // Replaces any running timer by one that calls `procedure(id, 0, user, 0, 0)` every
    // `period_ms`, or this object's OnTick when `procedure` is null. The timer id, or 0 when
    // the platform refused (nothing then stays raised).
    UINT Start(UINT period_ms, LPTIMECALLBACK procedure = nullptr, DWORD_PTR user = 0);
    // Always 1. Once it returns, no tick of the stopped timer runs or starts.
    int Stop();

    virtual void OnTick() {}

  private:
    static void CALLBACK DefaultTick(UINT timer_id, UINT message, DWORD_PTR user,
                                     DWORD_PTR reserved1, DWORD_PTR reserved2);
    void ReleaseResolution();

    // All on the owner's (dialog's) thread; ticks see only the user value.
    UINT timerId_ = 0;
    TIMECAPS caps_{};
    bool capsValid_ = false;
    bool resolutionRaised_ = false;
};

}  // namespace kt73b
