// The host's messages from the ALSA sequencer's reader thread to the device loop: the reader
// thread pushes each whole message, the loop takes what has come, waiting at most to a deadline.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/winmm/provider.h"

namespace kt73b::emu {

class HostInbox final : public winmm::InputSink {
  public:
    void OnMessage(const std::uint8_t* bytes, std::size_t length) override;

    // Every message that has come, in order; waits for the first until `deadline`.
    std::deque<std::vector<std::uint8_t>> TakeAll(std::chrono::steady_clock::time_point deadline);

  private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<std::vector<std::uint8_t>> messages_;  // reader thread pushes, loop takes; mutex_
};

}  // namespace kt73b::emu
