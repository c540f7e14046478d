// time* of the layer: one PeriodicTimer per timeSetEvent, and a count of raised periods.
#include <map>
#include <memory>
#include <mutex>

#include "platform/winmm/mmsystem_api.h"
#include "platform/winmm/periodic_timer.h"

namespace kt73b::winmm {
namespace {

// The finest and coarsest periods offered, in milliseconds.
constexpr UINT kPeriodMin = 1;
constexpr UINT kPeriodMax = 1000000;

struct Timers {
    std::mutex mutex;
    UINT next_id = 1;                                     // under mutex
    std::map<UINT, std::shared_ptr<PeriodicTimer>> live;  // under mutex
    std::map<UINT, int> raised_periods;                   // under mutex
};

// Never destroyed: timer threads may still run while statics go away at exit.
Timers& TheTimers() {
    static auto* timers = new Timers;
    return *timers;
}

}  // namespace

int OutstandingTimePeriods() {
    auto& timers = TheTimers();
    std::lock_guard lock(timers.mutex);
    int count = 0;
    for (const auto& [period, raised] : timers.raised_periods) {
        count += raised;
    }
    return count;
}

}  // namespace kt73b::winmm

using kt73b::winmm::PeriodicTimer;
using kt73b::winmm::TheTimers;

extern "C" {

MMRESULT timeGetDevCaps(LPTIMECAPS ptc, UINT cbtc) {
    if (ptc == nullptr || cbtc < sizeof(TIMECAPS)) {
        return TIMERR_NOCANDO;
    }
    ptc->wPeriodMin = kt73b::winmm::kPeriodMin;
    ptc->wPeriodMax = kt73b::winmm::kPeriodMax;
    return TIMERR_NOERROR;
}

// The system's timers are as fine as they get already; the count keeps begin and end honest.
MMRESULT timeBeginPeriod(UINT uPeriod) {
    if (uPeriod < kt73b::winmm::kPeriodMin || uPeriod > kt73b::winmm::kPeriodMax) {
        return TIMERR_NOCANDO;
    }
    auto& timers = TheTimers();
    std::lock_guard lock(timers.mutex);
    ++timers.raised_periods[uPeriod];
    return TIMERR_NOERROR;
}

MMRESULT timeEndPeriod(UINT uPeriod) {
    auto& timers = TheTimers();
    std::lock_guard lock(timers.mutex);
    const auto it = timers.raised_periods.find(uPeriod);
    if (it == timers.raised_periods.end() || it->second == 0) {
        return TIMERR_NOCANDO;
    }
    --it->second;
    return TIMERR_NOERROR;
}

// Periodic timers only (with or without TIME_KILL_SYNCHRONOUS; every kill here is synchronous):
// no caller of the layer needs a one-shot timer or an event to be set.
MMRESULT timeSetEvent(UINT uDelay, UINT /*uResolution*/, LPTIMECALLBACK fptc, DWORD_PTR dwUser,
                      UINT fuEvent) {
    const UINT kind = fuEvent & ~TIME_KILL_SYNCHRONOUS;
    if (fptc == nullptr || kind != (TIME_PERIODIC | TIME_CALLBACK_FUNCTION) ||
        uDelay < kt73b::winmm::kPeriodMin || uDelay > kt73b::winmm::kPeriodMax) {
        return 0;
    }
    auto& timers = TheTimers();
    std::lock_guard lock(timers.mutex);
    const UINT id = timers.next_id++;
    if (timers.next_id == 0) {
        timers.next_id = 1;
    }
    auto timer = std::make_shared<PeriodicTimer>(id, uDelay, fptc, dwUser);
    timers.live.emplace(id, timer);
    timer->Start();
    return id;
}

MMRESULT timeKillEvent(UINT uTimerID) {
    std::shared_ptr<PeriodicTimer> timer;
    {
        auto& timers = TheTimers();
        std::lock_guard lock(timers.mutex);
        const auto it = timers.live.find(uTimerID);
        if (it == timers.live.end()) {
            return MMSYSERR_INVALPARAM;
        }
        timer = std::move(it->second);
        timers.live.erase(it);
    }
    // Outside the lock: a tick that is running may itself set or kill timers.
    timer->Kill();
    return TIMERR_NOERROR;
}

}  // extern "C"
