#include "emulator/jack/message_ring.h"

#include <algorithm>
#include <bit>

namespace kt73b::emu {

MessageRing::MessageRing(std::size_t capacityBytes)
    : buffer_(std::bit_ceil(std::max<std::size_t>(capacityBytes, 16))), mask_(buffer_.size() - 1) {}

void MessageRing::CopyIn(std::size_t at, const std::uint8_t* source, std::size_t length) {
    const std::size_t start = at & mask_;
    const std::size_t first = std::min(length, buffer_.size() - start);
    std::copy_n(source, first, buffer_.data() + start);
    std::copy_n(source + first, length - first, buffer_.data());
}

void MessageRing::CopyOut(std::size_t at, std::uint8_t* dest, std::size_t length) const {
    const std::size_t start = at & mask_;
    const std::size_t first = std::min(length, buffer_.size() - start);
    std::copy_n(buffer_.data() + start, first, dest);
    std::copy_n(buffer_.data(), length - first, dest + first);
}

bool MessageRing::Push(std::span<const std::uint8_t> message) {
    const std::size_t head = head_.load(std::memory_order_relaxed);
    const std::size_t tail = tail_.load(std::memory_order_acquire);
    const std::size_t needed = kLengthBytes + message.size();
    if (buffer_.size() - (head - tail) < needed) {
        return false;
    }
    const auto length = static_cast<std::uint32_t>(message.size());
    std::uint8_t prefix[kLengthBytes];
    for (std::size_t i = 0; i < kLengthBytes; ++i) {
        prefix[i] = static_cast<std::uint8_t>(length >> (8 * i));
    }
    CopyIn(head, prefix, kLengthBytes);
    CopyIn(head + kLengthBytes, message.data(), message.size());
    head_.store(head + needed, std::memory_order_release);
    return true;
}

std::optional<std::size_t> MessageRing::PeekLength() const {
    const std::size_t tail = tail_.load(std::memory_order_relaxed);
    if (head_.load(std::memory_order_acquire) == tail) {
        return std::nullopt;
    }
    std::uint8_t prefix[kLengthBytes];
    CopyOut(tail, prefix, kLengthBytes);
    std::size_t length = 0;
    for (std::size_t i = 0; i < kLengthBytes; ++i) {
        length |= static_cast<std::size_t>(prefix[i]) << (8 * i);
    }
    return length;
}

bool MessageRing::Pop(std::span<std::uint8_t> dest) {
    const auto length = PeekLength();
    if (!length || dest.size() < *length) {
        return false;
    }
    const std::size_t tail = tail_.load(std::memory_order_relaxed);
    CopyOut(tail + kLengthBytes, dest.data(), *length);
    tail_.store(tail + kLengthBytes + *length, std::memory_order_release);
    return true;
}

void MessageRing::Skip() {
    if (const auto length = PeekLength()) {
        const std::size_t tail = tail_.load(std::memory_order_relaxed);
        tail_.store(tail + kLengthBytes + *length, std::memory_order_release);
    }
}

}  // namespace kt73b::emu
