#include "app/append_log.h"

#include <array>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/log_messages.h"

namespace kt73b {

namespace {

constexpr int kLogTimeZoneHours = 9;  // the maker's local time, UTC+9
constexpr std::size_t kLineBufferBytes = 100;

// Written by tests before any logging thread starts; read by whichever thread logs.
std::atomic<UtcClock> g_clock{nullptr};

CivilTime CurrentUtc() {
    const UtcClock clock = g_clock.load(std::memory_order_acquire);
    return clock != nullptr ? clock() : SystemUtcNow();
}

bool LogFileExists() {
    std::error_code error;
    return std::filesystem::exists(kLogFileName, error);
}

}  // namespace

void SetLogClock(UtcClock clock) {
    g_clock.store(clock, std::memory_order_release);
}

void AppendLog(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= kLogMessages.size()) {
        return;
    }
    const CivilTime local = AddHours(CurrentUtc(), kLogTimeZoneHours);
    std::array<char, kLineBufferBytes> line{};
    // The file has CR LF line ends on every platform, as a text-mode write on Windows gives.
    const int length =
        std::snprintf(line.data(), line.size(), "%04d/%02d/%02d %02d:%02d:%02d     %s\r\n",
                      local.year, local.month, local.day, local.hour, local.minute, local.second,
                      kLogMessages[static_cast<std::size_t>(index)]);
    if (length <= 0 || !LogFileExists()) {
        return;
    }
    // A file that cannot be opened for appending (a directory, no permission) is skipped.
    std::FILE* file = std::fopen(kLogFileName, "ab");
    if (file == nullptr) {
        return;
    }
    std::fwrite(line.data(), 1, static_cast<std::size_t>(length), file);
    std::fclose(file);
}

}  // namespace kt73b
