#include "midi/send_wait_clock.h"

namespace kt73b {
namespace {

class SystemClock final : public SendWaitClock {
  public:
    TimePoint Now() override { return std::chrono::steady_clock::now(); }
    void WaitUntil(std::condition_variable& woken, std::unique_lock<std::mutex>& lock,
                   TimePoint deadline) override {
        woken.wait_until(lock, deadline);
    }
};

}  // namespace

SendWaitClock& SystemSendWaitClock() {
    static SystemClock clock;
    return clock;
}

}  // namespace kt73b
