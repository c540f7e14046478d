#include "app/civil_time.h"

#include <chrono>

namespace kt73b {

namespace {

using std::chrono::days;
using std::chrono::seconds;
using std::chrono::sys_days;
using std::chrono::sys_seconds;

sys_seconds ToSysSeconds(const CivilTime& time) {
    const std::chrono::year_month_day date{std::chrono::year{time.year},
                                           std::chrono::month{static_cast<unsigned>(time.month)},
                                           std::chrono::day{static_cast<unsigned>(time.day)}};
    return sys_days{date} + std::chrono::hours{time.hour} + std::chrono::minutes{time.minute} +
           seconds{time.second};
}

CivilTime FromSysSeconds(sys_seconds point) {
    const auto dayStart = std::chrono::floor<days>(point);
    const std::chrono::year_month_day date{dayStart};
    const std::chrono::hh_mm_ss<seconds> clock{point - dayStart};
    return {static_cast<int>(date.year()),
            static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day())),
            static_cast<int>(clock.hours().count()),
            static_cast<int>(clock.minutes().count()),
            static_cast<int>(clock.seconds().count())};
}

}  // namespace

CivilTime AddHours(const CivilTime& time, int hours) {
    return FromSysSeconds(ToSysSeconds(time) + std::chrono::hours{hours});
}

CivilTime SystemUtcNow() {
    return FromSysSeconds(std::chrono::floor<seconds>(std::chrono::system_clock::now()));
}

}  // namespace kt73b
