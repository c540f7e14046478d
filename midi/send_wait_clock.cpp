#include "midi/send_wait_clock.h"

#include <thread>

namespace kt73b {
namespace {

class SystemClock final : public SendWaitClock {
  public:
    TimePoint Now() override { return std::chrono::steady_clock::now(); }
    void Pause() override { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }
};

}  // namespace

SendWaitClock& SystemSendWaitClock() {
    static SystemClock clock;
    return clock;
}

}  // namespace kt73b
