#include "midi/inbound_queue.h"

#include <cstring>
#include <new>

namespace kt73b {
namespace {

std::uint8_t* BytesOf(InboundNode* node) {
    return reinterpret_cast<std::uint8_t*>(node + 1);
}

void FreeNode(InboundNode* node) {
    node->~InboundNode();
    ::operator delete(node);
}

}  // namespace

InboundQueue::~InboundQueue() {
    while (head_ != nullptr) {
        PopFront();
    }
}

bool InboundQueue::Append(const std::uint8_t* bytes, std::size_t length) {
    void* block = ::operator new(sizeof(InboundNode) + length, std::nothrow);
    if (block == nullptr) {
        return false;
    }
    auto* node = new (block) InboundNode{nullptr, length};
    if (length != 0) {
        std::memcpy(BytesOf(node), bytes, length);
    }
    std::lock_guard lock(mutex_);
    if (tail_ == nullptr) {
        head_ = node;
    } else {
        tail_->next = node;
    }
    tail_ = node;
    ++appended_;
    return true;
}

std::uint64_t InboundQueue::Appended() const {
    std::lock_guard lock(mutex_);
    return appended_;
}

const std::uint8_t* InboundQueue::Front(std::size_t* length) const {
    std::lock_guard lock(mutex_);
    if (length != nullptr) {
        *length = head_ == nullptr ? 0 : head_->length;
    }
    return head_ == nullptr ? nullptr : BytesOf(head_);
}

void InboundQueue::PopFront() {
    InboundNode* old_head = nullptr;
    {
        std::lock_guard lock(mutex_);
        if (head_ == nullptr) {
            return;
        }
        old_head = head_;
        head_ = head_->next;
        if (head_ == nullptr) {
            tail_ = nullptr;
        }
    }
    FreeNode(old_head);
}

}  // namespace kt73b
