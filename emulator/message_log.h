// Every message that crossed the link, both ways, with when it was sent and when it arrived,
// and the list of protocol errors the device found in what the host sent.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "emulator/clock.h"

namespace kt73b::emu {

enum class Direction : std::uint8_t { kHostToDevice, kDeviceToHost };

struct LogEntry {
    Direction direction;
    Micros sent;     // handed to the link
    Micros arrives;  // at the other end
    std::vector<std::uint8_t> bytes;
    std::string note;  // what the device did with it, or which fault touched it
};

struct ProtocolError {
    Micros at;
    std::string what;
};

class MessageLog {
  public:
    std::size_t Add(Direction direction, Micros sent, Micros arrives,
                    std::span<const std::uint8_t> bytes, std::string note = {});
    void AddNote(std::size_t index, const std::string& note);
    void AddProtocolError(Micros at, std::string what);

    const std::vector<LogEntry>& Entries() const { return entries_; }
    const std::vector<ProtocolError>& ProtocolErrors() const { return errors_; }
    // Long soak runs call this between updates; a full update logs about 4.5 MB.
    void Clear();

  private:
    std::vector<LogEntry> entries_;
    std::vector<ProtocolError> errors_;
};

// One line per entry: time, direction, length, the first bytes in hex and the note.
std::string FormatLogEntry(const LogEntry& entry);

}  // namespace kt73b::emu
