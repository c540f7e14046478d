// A single-producer, single-consumer ring of whole messages (length-prefixed bytes) between a
// realtime thread, such as JACK's process callback, and an ordinary one: no lock and no
// allocation after construction, and atomics that ThreadSanitizer can see (jack_ringbuffer's
// barriers it cannot). The JACK MIDI client (platform/jack) uses it.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace kt73b::os {

class MessageRing {
  public:
    // Room for `capacityBytes` of messages and their 4-byte length prefixes (rounded up to a
    // power of two).
    explicit MessageRing(std::size_t capacityBytes);

    // Producer: false, and nothing written, when the message does not fit now.
    bool Push(const std::uint8_t* bytes, std::size_t length);
    // Consumer: the length of the oldest message, if there is one.
    std::optional<std::size_t> PeekLength() const;
    // Consumer: moves the oldest message into `destination` (PeekLength bytes of room).
    void Pop(std::uint8_t* destination);
    // Consumer: drops the oldest message.
    void Drop();

    bool Empty() const;
    // The largest message that can ever fit.
    std::size_t MaxMessageBytes() const { return buffer_.size() - kPrefixBytes; }

  private:
    static constexpr std::size_t kPrefixBytes = 4;

    void CopyIn(std::size_t position, const std::uint8_t* bytes, std::size_t length);
    void CopyOut(std::size_t position, std::uint8_t* bytes, std::size_t length) const;

    std::vector<std::uint8_t> buffer_;
    std::size_t mask_;
    // Total bytes ever written (producer stores, release) and read (consumer stores, release);
    // each side reads the other's with acquire before touching the bytes in between.
    std::atomic<std::size_t> written_{0};
    std::atomic<std::size_t> read_{0};
};

}  // namespace kt73b::os
