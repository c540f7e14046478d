#include "midi/dxm_timer.h"

namespace kt73b {
namespace {

// Synchronous kill: the platform lets no tick run or start once timeKillEvent has returned,
// which is what Stop promises the owner.
constexpr UINT kTimerFlags = TIME_PERIODIC | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS;

}  // namespace

CDxMTimer::CDxMTimer() {
    capsValid_ = timeGetDevCaps(&caps_, sizeof(caps_)) == TIMERR_NOERROR && caps_.wPeriodMin != 0 &&
                 caps_.wPeriodMin <= caps_.wPeriodMax;
}

CDxMTimer::~CDxMTimer() {
    Stop();
}

UINT CDxMTimer::Start(UINT period_ms, LPTIMECALLBACK procedure, DWORD_PTR user) {
    Stop();
    // Without valid capabilities there is no finest period to ask for; resolution 0 asks the
    // platform for its best instead.
    const UINT resolution = capsValid_ ? caps_.wPeriodMin : 0;
    resolutionRaised_ = capsValid_ && timeBeginPeriod(resolution) == TIMERR_NOERROR;
    if (procedure == nullptr) {
        procedure = &DefaultTick;
        user = reinterpret_cast<DWORD_PTR>(this);
    }
    timerId_ = timeSetEvent(period_ms, resolution, procedure, user, kTimerFlags);
    if (timerId_ == 0) {
        ReleaseResolution();
    }
    return timerId_;
}

int CDxMTimer::Stop() {
    if (timerId_ != 0) {
        timeKillEvent(timerId_);
        ReleaseResolution();
    }
    timerId_ = 0;
    return 1;
}

void CDxMTimer::ReleaseResolution() {
    if (resolutionRaised_) {
        timeEndPeriod(caps_.wPeriodMin);
        resolutionRaised_ = false;
    }
}

void CALLBACK CDxMTimer::DefaultTick(UINT /*timer_id*/, UINT /*message*/, DWORD_PTR user,
                                     DWORD_PTR /*reserved1*/, DWORD_PTR /*reserved2*/) {
    reinterpret_cast<CDxMTimer*>(user)->OnTick();
}

}  // namespace kt73b
