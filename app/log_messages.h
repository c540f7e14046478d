// The seven failure texts of the diagnostic log, by the index the callers pass to AppendLog.
#pragma once

#include <array>

namespace kt73b {

enum LogEntry : int {
    kLogMidiOutError = 0,
    kLogIllegalDevice = 1,
    kLogNotInUpdateMode = 2,
    kLogEraseTimeOut = 3,
    kLogCrcError = 4,
    kLogFlashWriteError = 5,
    kLogWriteTimeOut = 6,
};

inline constexpr std::array<const char*, 7> kLogMessages = {
    "Midi out error.",
    "Illegal device connected.",
    "Please use the firmware update mode.",
    "(Erase)Time Out Error.",
    "(CRC)Transfer error occurred.",
    "(Flash Write)Transfer error occurred.",
    "(Write)Time Out Error.",
};

}  // namespace kt73b
