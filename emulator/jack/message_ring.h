// A single-producer, single-consumer ring of whole messages, without locks or allocation after
// construction: the hand-over between JACK's realtime process callback and an ordinary thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kt73b::emu {

class MessageRing {
  public:
    // Capacity in bytes, rounded up to a power of two; each message takes 4 bytes more.
    explicit MessageRing(std::size_t capacityBytes);

    // Producer thread: false, and nothing written, when the message does not fit now.
    bool Push(std::span<const std::uint8_t> message);

    // Consumer thread: the length of the oldest message, empty when there is none.
    std::optional<std::size_t> PeekLength() const;
    // Consumer thread: copies the oldest message into `dest` (at least PeekLength bytes) and
    // removes it; false when there is none or `dest` is too small.
    bool Pop(std::span<std::uint8_t> dest);
    // Consumer thread: removes the oldest message unread.
    void Skip();

  private:
    static constexpr std::size_t kLengthBytes = 4;

    void CopyIn(std::size_t at, const std::uint8_t* source, std::size_t length);
    void CopyOut(std::size_t at, std::uint8_t* dest, std::size_t length) const;

    std::vector<std::uint8_t> buffer_;
    std::size_t mask_;
    // Written by the producer only; its release store publishes the bytes before it.
    std::atomic<std::size_t> head_{0};
    // Written by the consumer only; its release store hands the space back to the producer.
    std::atomic<std::size_t> tail_{0};
};

}  // namespace kt73b::emu
