#include "emulator/loopback/loopback_emulator.h"

#include <utility>

namespace kt73b::emu {

LoopbackEmulator::LoopbackEmulator(const EmulatorSettings& settings, const std::string& name,
                                   DeviceWorkObserver* observer)
    : emulator_(clock_, settings), observer_(observer) {
    id_ = loopback::RegisterDevice(name, this);
    // Hand-over: id_ is complete before the device thread starts and reads it.
    thread_ = std::thread([this] { Run(); });
}

LoopbackEmulator::~LoopbackEmulator() {
    loopback::UnregisterDevice(id_);
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void LoopbackEmulator::OnHostMessage(const std::uint8_t* bytes, std::size_t length) {
    WorkBegins(DeviceWorkObserver::Work::kTakingHostMessage);
    {
        std::lock_guard lock(mutex_);
        // Hand-over: the copy goes to the device thread through inbox_, under mutex_.
        inbox_.emplace_back(bytes, bytes + length);
    }
    wake_.notify_one();
    WorkEnds(DeviceWorkObserver::Work::kTakingHostMessage);
}

void LoopbackEmulator::WorkBegins(DeviceWorkObserver::Work work) {
    if (observer_ != nullptr) {
        observer_->WorkBegins(work);
    }
}

void LoopbackEmulator::WorkEnds(DeviceWorkObserver::Work work) {
    if (observer_ != nullptr) {
        observer_->WorkEnds(work);
    }
}

void LoopbackEmulator::WithEmulator(const std::function<void(Emulator&)>& use) {
    std::lock_guard lock(mutex_);
    use(emulator_);
    // Changed settings or faults may move the next due time.
    wake_.notify_one();
}

void LoopbackEmulator::DeliverDue(std::unique_lock<std::mutex>& lock) {
    std::vector<OutboundMessage> due = emulator_.TakeDue();
    if (due.empty()) {
        return;
    }
    // Delivered without the lock: the host's input may send from its callback, which would
    // come back into OnHostMessage. Handing over is the host's work, not the device's.
    lock.unlock();
    WorkEnds(DeviceWorkObserver::Work::kRunningModel);
    for (const OutboundMessage& message : due) {
        // Hand-over: the layer copies the answer and hands it to the host's input thread.
        loopback::DeliverToHost(id_, message.bytes.data(), message.bytes.size());
    }
    WorkBegins(DeviceWorkObserver::Work::kRunningModel);
    lock.lock();
}

void LoopbackEmulator::Run() {
    WorkBegins(DeviceWorkObserver::Work::kRunningModel);
    std::unique_lock lock(mutex_);
    while (!stop_) {
        while (!inbox_.empty()) {
            const std::vector<std::uint8_t> message = std::move(inbox_.front());
            inbox_.pop_front();
            emulator_.OnHostMessage(message);
        }
        DeliverDue(lock);
        if (stop_ || !inbox_.empty()) {
            continue;
        }
        const auto next = emulator_.NextDue();
        WorkEnds(DeviceWorkObserver::Work::kRunningModel);
        if (next) {
            wake_.wait_until(lock, clock_.TimePointOf(*next));
        } else {
            wake_.wait(lock);
        }
        WorkBegins(DeviceWorkObserver::Work::kRunningModel);
    }
    WorkEnds(DeviceWorkObserver::Work::kRunningModel);
}

}  // namespace kt73b::emu
