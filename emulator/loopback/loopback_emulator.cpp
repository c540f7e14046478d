#include "emulator/loopback/loopback_emulator.h"

#include <utility>

namespace kt73b::emu {

LoopbackEmulator::LoopbackEmulator(const EmulatorSettings& settings, const std::string& name)
    : emulator_(clock_, settings) {
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
    {
        std::lock_guard lock(mutex_);
        // Hand-over: the copy goes to the device thread through inbox_, under mutex_.
        inbox_.emplace_back(bytes, bytes + length);
    }
    wake_.notify_one();
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
    // come back into OnHostMessage.
    lock.unlock();
    for (const OutboundMessage& message : due) {
        // Hand-over: the layer copies the answer and hands it to the host's input thread.
        loopback::DeliverToHost(id_, message.bytes.data(), message.bytes.size());
    }
    lock.lock();
}

void LoopbackEmulator::Run() {
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
        if (const auto next = emulator_.NextDue()) {
            wake_.wait_until(lock, clock_.TimePointOf(*next));
        } else {
            wake_.wait(lock);
        }
    }
}

}  // namespace kt73b::emu
