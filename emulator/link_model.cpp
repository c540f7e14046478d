#include "emulator/link_model.h"

#include <algorithm>

namespace kt73b::emu {

Micros LinkDirection::TransferTime(std::size_t bytes) const {
    if (settings_.bytesPerSecond == 0) {
        return Micros{0};
    }
    const std::uint64_t micros =
        (static_cast<std::uint64_t>(bytes) * 1000000u + settings_.bytesPerSecond - 1) /
        settings_.bytesPerSecond;
    return Micros(static_cast<Micros::rep>(micros));
}

Micros LinkDirection::ArrivalIfSent(Micros sentAt, std::size_t bytes) const {
    return std::max(sentAt, busyUntil_) + TransferTime(bytes) + settings_.latency;
}

Micros LinkDirection::Transfer(Micros sentAt, std::size_t bytes) {
    const Micros arrival = ArrivalIfSent(sentAt, bytes);
    busyUntil_ = arrival - settings_.latency;
    return arrival;
}

}  // namespace kt73b::emu
