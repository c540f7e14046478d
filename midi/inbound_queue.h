// The input port's FIFO of received messages: appended on the driver's callback thread, drained
// on the timer's thread. Each entry is a copy of one returned receive buffer, with its length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>

namespace kt73b {

// One entry: the node and its bytes share one allocation; the bytes follow the node.
struct InboundNode {
    InboundNode* next;
    std::size_t length;
};

class InboundQueue {
  public:
    InboundQueue() = default;
    ~InboundQueue();
    InboundQueue(const InboundQueue&) = delete;
    InboundQueue& operator=(const InboundQueue&) = delete;

    // Copies `length` bytes into a new entry at the tail. False when no memory could be had: the
    // message is then dropped, since the callback that appends has nobody to report to.
    bool Append(const std::uint8_t* bytes, std::size_t length);

    // The oldest entry's bytes and length; null (length 0) when the queue is empty. The bytes stay
    // valid until the consumer's own PopFront: appends never touch the head.
    const std::uint8_t* Front(std::size_t* length = nullptr) const;

    // Removes and frees the oldest entry; does nothing on an empty queue.
    void PopFront();

    // How many entries were ever appended. Entries leave in order, so the consumer numbers them
    // by counting what it takes; one numbered at most this many was here by the time of the call.
    std::uint64_t Appended() const;

  private:
    // One lock around every append, Front and PopFront: the callback thread appends, the timer's
    // thread reads and removes, and neither may see the other's half-made links.
    mutable std::mutex mutex_;
    InboundNode* head_ = nullptr;  // written under mutex_ by both threads
    InboundNode* tail_ = nullptr;  // written under mutex_ by both threads
    std::uint64_t appended_ = 0;   // written under mutex_ by the appending thread
};

}  // namespace kt73b
