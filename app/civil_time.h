// A calendar date and time of day, and the one conversion the log needs: UTC to UTC+9, carrying
// into the day, month and year.
#pragma once

namespace kt73b {

struct CivilTime {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend bool operator==(const CivilTime&, const CivilTime&) = default;
};

CivilTime AddHours(const CivilTime& time, int hours);

// The system clock's current UTC date and time, to the second.
CivilTime SystemUtcNow();

}  // namespace kt73b
