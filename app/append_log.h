// The diagnostic log: one time-stamped line per failure in "TEST_LOG.txt" of the current
// directory, written only when that file already exists (creating it switches logging on).
#pragma once

#include "app/civil_time.h"

namespace kt73b {

inline constexpr const char* kLogFileName = "TEST_LOG.txt";

// Appends the line for log entry `index` (0..6, see log_messages.h). Reports nothing: a missing
// or unwritable file, or an index outside the table, leaves the caller to go on as usual.
void AppendLog(int index);

// Where AppendLog takes the current UTC time from; tests set a fixed clock, nullptr restores
// the system clock.
using UtcClock = CivilTime (*)();
void SetLogClock(UtcClock clock);

}  // namespace kt73b
