// The emulator as an in-process device: registered with the WinMM layer's loopback under
// "VELK KT Series", it appears as one input and one output device to code in the same process
// (tests, demo builds) and runs the device model in real time on a thread of its own.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "emulator/clock.h"
#include "emulator/emulator.h"
#include "platform/winmm/loopback/loopback_registry.h"

namespace kt73b::emu {

inline constexpr const char* kLoopbackDeviceName = "VELK KT Series";

// Told when the device's own work begins and ends on the calling thread: taking a host message
// on the host's sending thread, running the model on the device thread. A benchmark keeps the
// device's costs (time, allocations) apart from the host's with it. Calls come in pairs, never
// nested, and must return promptly.
class DeviceWorkObserver {
  public:
    enum class Work { kTakingHostMessage, kRunningModel };
    virtual void WorkBegins(Work work) = 0;
    virtual void WorkEnds(Work work) = 0;

  protected:
    ~DeviceWorkObserver() = default;
};

class LoopbackEmulator final : public loopback::LoopbackDevice {
  public:
    // `observer`, if any, must outlive this object.
    explicit LoopbackEmulator(const EmulatorSettings& settings = {},
                              const std::string& name = kLoopbackDeviceName,
                              DeviceWorkObserver* observer = nullptr);
    // Unregisters first, so no host message arrives while the device thread ends.
    ~LoopbackEmulator() override;
    LoopbackEmulator(const LoopbackEmulator&) = delete;
    LoopbackEmulator& operator=(const LoopbackEmulator&) = delete;

    // Runs on the host's sending thread: copies the message and wakes the device thread.
    void OnHostMessage(const std::uint8_t* bytes, std::size_t length) override;

    // Runs `use` with the emulator while the device thread keeps off it: to look at the flash,
    // the log or the protocol errors, or to change settings and faults.
    void WithEmulator(const std::function<void(Emulator&)>& use);

  private:
    void Run();
    void DeliverDue(std::unique_lock<std::mutex>& lock);
    void WorkBegins(DeviceWorkObserver::Work work);
    void WorkEnds(DeviceWorkObserver::Work work);

    SteadyClock clock_;
    std::mutex mutex_;
    // Notified by OnHostMessage and the destructor; the device thread waits on it.
    std::condition_variable wake_;
    Emulator emulator_;  // under mutex_
    // Host threads push, the device thread takes; under mutex_.
    std::deque<std::vector<std::uint8_t>> inbox_;
    bool stop_ = false;                   // set by the destructor; under mutex_
    int id_ = 0;                          // written before the thread starts, then only read
    DeviceWorkObserver* const observer_;  // set before the thread starts, then only read
    std::thread thread_;
};

}  // namespace kt73b::emu
