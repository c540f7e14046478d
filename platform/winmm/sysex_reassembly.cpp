#include "platform/winmm/sysex_reassembly.h"

#include <utility>

#include "platform/midi_bytes.h"

namespace kt73b::winmm {

SysExReassembler::SysExReassembler(CutMessages cut, Sink sink, std::size_t maxBytes)
    : cut_(cut), sink_(std::move(sink)), maxBytes_(maxBytes) {}

void SysExReassembler::Feed(std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) {
        if (byte < kFirstRealTime) {
            Take(byte);
        }
    }
}

void SysExReassembler::Take(std::uint8_t byte) {
    if (byte == kSysExStart) {
        CutOff();
        message_.assign(1, byte);
        state_ = State::kCollecting;
        return;
    }
    if ((byte & kStatusBit) != 0 && byte != kSysExEnd) {
        CutOff();
        state_ = State::kIdle;
        return;
    }
    if (state_ != State::kCollecting) {
        state_ = byte == kSysExEnd ? State::kIdle : state_;
        return;
    }
    if (message_.size() >= maxBytes_) {
        message_.clear();
        state_ = byte == kSysExEnd ? State::kIdle : State::kSkipping;
        return;
    }
    message_.push_back(byte);
    if (byte == kSysExEnd) {
        sink_(message_);
        message_.clear();
        state_ = State::kIdle;
    }
}

void SysExReassembler::CutOff() {
    if (state_ == State::kCollecting && cut_ == CutMessages::kHandOn) {
        sink_(message_);
    }
    message_.clear();
}

}  // namespace kt73b::winmm
