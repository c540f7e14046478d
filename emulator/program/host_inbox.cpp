#include "emulator/program/host_inbox.h"

#include <utility>

namespace kt73b::emu {

void HostInbox::OnMessage(const std::uint8_t* bytes, std::size_t length) {
    {
        std::lock_guard lock(mutex_);
        messages_.emplace_back(bytes, bytes + length);
    }
    arrived_.notify_one();
}

std::deque<std::vector<std::uint8_t>> HostInbox::TakeAll(
    std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    arrived_.wait_until(lock, deadline, [this] { return !messages_.empty(); });
    return std::exchange(messages_, {});
}

}  // namespace kt73b::emu
