#include "platform/os/message_ring.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace kt73b::os {

MessageRing::MessageRing(std::size_t capacityBytes)
    : buffer_(std::bit_ceil(std::max<std::size_t>(capacityBytes, 2 * kPrefixBytes))),
      mask_(buffer_.size() - 1) {}

bool MessageRing::Push(const std::uint8_t* bytes, std::size_t length) {
    const std::size_t written = written_.load(std::memory_order_relaxed);
    const std::size_t freeBytes =
        buffer_.size() - (written - read_.load(std::memory_order_acquire));
    if (length > MaxMessageBytes() || kPrefixBytes + length > freeBytes) {
        return false;
    }
    const auto prefix = static_cast<std::uint32_t>(length);
    std::uint8_t prefixBytes[kPrefixBytes];
    std::memcpy(prefixBytes, &prefix, kPrefixBytes);
    CopyIn(written, prefixBytes, kPrefixBytes);
    CopyIn(written + kPrefixBytes, bytes, length);
    written_.store(written + kPrefixBytes + length, std::memory_order_release);
    return true;
}

std::optional<std::size_t> MessageRing::PeekLength() const {
    const std::size_t read = read_.load(std::memory_order_relaxed);
    if (written_.load(std::memory_order_acquire) == read) {
        return std::nullopt;
    }
    std::uint8_t prefixBytes[kPrefixBytes];
    CopyOut(read, prefixBytes, kPrefixBytes);
    std::uint32_t prefix = 0;
    std::memcpy(&prefix, prefixBytes, kPrefixBytes);
    return prefix;
}

void MessageRing::Pop(std::uint8_t* destination) {
    const auto length = PeekLength();
    if (!length) {
        return;
    }
    const std::size_t read = read_.load(std::memory_order_relaxed);
    CopyOut(read + kPrefixBytes, destination, *length);
    read_.store(read + kPrefixBytes + *length, std::memory_order_release);
}

void MessageRing::Drop() {
    const auto length = PeekLength();
    if (length) {
        read_.store(read_.load(std::memory_order_relaxed) + kPrefixBytes + *length,
                    std::memory_order_release);
    }
}

bool MessageRing::Empty() const {
    return written_.load(std::memory_order_acquire) == read_.load(std::memory_order_acquire);
}

void MessageRing::CopyIn(std::size_t position, const std::uint8_t* bytes, std::size_t length) {
    const std::size_t start = position & mask_;
    const std::size_t first = std::min(length, buffer_.size() - start);
    if (first != 0) {
        std::memcpy(buffer_.data() + start, bytes, first);
    }
    if (length != first) {
        std::memcpy(buffer_.data(), bytes + first, length - first);
    }
}

void MessageRing::CopyOut(std::size_t position, std::uint8_t* bytes, std::size_t length) const {
    const std::size_t start = position & mask_;
    const std::size_t first = std::min(length, buffer_.size() - start);
    if (first != 0) {
        std::memcpy(bytes, buffer_.data() + start, first);
    }
    if (length != first) {
        std::memcpy(bytes + first, buffer_.data(), length - first);
    }
}

}  // namespace kt73b::os
