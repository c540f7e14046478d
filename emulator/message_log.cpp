#include "emulator/message_log.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace kt73b::emu {

namespace {

constexpr std::size_t kBytesShown = 16;

}  // namespace

std::size_t MessageLog::Add(Direction direction, Micros sent, Micros arrives,
                            std::span<const std::uint8_t> bytes, std::string note) {
    entries_.push_back({direction, sent, arrives, {bytes.begin(), bytes.end()}, std::move(note)});
    return entries_.size() - 1;
}

void MessageLog::AddNote(std::size_t index, const std::string& note) {
    std::string& text = entries_.at(index).note;
    text += text.empty() ? note : "; " + note;
}

void MessageLog::AddProtocolError(Micros at, std::string what) {
    errors_.push_back({at, std::move(what)});
}

void MessageLog::Clear() {
    entries_.clear();
    errors_.clear();
}

std::string FormatLogEntry(const LogEntry& entry) {
    char head[64];
    std::snprintf(head, sizeof head,
                  "%10.3f ms %s %5zu bytes:", static_cast<double>(entry.arrives.count()) / 1000.0,
                  entry.direction == Direction::kHostToDevice ? "host->dev" : "dev->host",
                  entry.bytes.size());
    std::string line = head;
    const std::size_t shown = std::min(entry.bytes.size(), kBytesShown);
    for (std::size_t i = 0; i < shown; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02X", entry.bytes[i]);
        line += hex;
    }
    if (shown < entry.bytes.size()) {
        line += " ...";
    }
    if (!entry.note.empty()) {
        line += "  (" + entry.note + ")";
    }
    return line;
}

}  // namespace kt73b::emu
