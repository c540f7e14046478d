#include "platform/winmm/alsa/sysex_reassembly.h"

#include <algorithm>

namespace kt73b::winmm {
namespace {

constexpr std::uint8_t kSysExStart = 0xF0;
constexpr std::uint8_t kSysExEnd = 0xF7;

}  // namespace

bool SysExReassembler::Feed(const std::uint8_t* bytes, std::size_t length) {
    if (state_ == State::kComplete) {
        message_.clear();
        state_ = State::kIdle;
    }
    if (length == 0) {
        return false;
    }
    if (bytes[0] == kSysExStart) {
        message_.clear();
        state_ = State::kCollecting;
    }
    if (state_ == State::kIdle) {
        return false;
    }
    const std::uint8_t* end = std::find(bytes, bytes + length, kSysExEnd);
    const bool ends_here = end != bytes + length;
    const std::size_t take = static_cast<std::size_t>(end - bytes) + (ends_here ? 1 : 0);
    if (state_ == State::kCollecting && message_.size() + take > maxBytes_) {
        message_.clear();
        state_ = State::kSkipping;
    }
    if (state_ == State::kCollecting) {
        message_.insert(message_.end(), bytes, bytes + take);
    }
    if (!ends_here) {
        return false;
    }
    const bool complete = state_ == State::kCollecting;
    state_ = complete ? State::kComplete : State::kIdle;
    return complete;
}

}  // namespace kt73b::winmm
