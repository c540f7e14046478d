#include "platform/winmm/jack/jack_client.h"

#include <chrono>

namespace kt73b::winmm {
namespace {

// Polls until `done` or `timeout`: the waits here are for the process thread, which may not
// lock or signal anything that blocks.
template <typename Done>
bool PollUntil(Done done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return true;
}

}  // namespace

JackClient::JackClient(const JackConfig& config, std::unique_ptr<jack::MidiClient> midi)
    : config_(config), midi_(std::move(midi)) {
    reader_ = std::thread([this] { ReadInbound(); });
}

std::shared_ptr<JackClient> JackClient::Open(const JackConfig& config) {
    std::string ignored;
    auto midi = jack::MidiClient::Open(
        {config.clientName, config.inputPortName, config.outputPortName, config.ringBytes},
        ignored);
    if (midi == nullptr) {
        return nullptr;
    }
    return std::shared_ptr<JackClient>(new JackClient(config, std::move(midi)));
}

JackClient::~JackClient() {
    stopping_.store(true, std::memory_order_release);
    midi_->Wake();
    reader_.join();
}

MMRESULT JackClient::AttachInput(const std::string& port, InputSink& sink) {
    std::lock_guard lock(sinkMutex_);
    if (sink_ != nullptr) {
        return MMSYSERR_ALLOCATED;
    }
    if (!midi_->Connect(port, midi_->InputPortName())) {
        return MMSYSERR_NODRIVER;
    }
    sink_ = &sink;
    return MMSYSERR_NOERROR;
}

void JackClient::DetachInput(const std::string& port) {
    std::lock_guard lock(sinkMutex_);
    midi_->Disconnect(port, midi_->InputPortName());
    sink_ = nullptr;
}

MMRESULT JackClient::AttachOutput(const std::string& port) {
    std::lock_guard lock(sendMutex_);
    if (!outputTarget_.empty()) {
        return MMSYSERR_ALLOCATED;
    }
    if (!midi_->Connect(midi_->OutputPortName(), port)) {
        return MMSYSERR_NODRIVER;
    }
    outputTarget_ = port;
    return MMSYSERR_NOERROR;
}

// What was sent before the close still leaves: the port is disconnected only once the process
// thread has written it out and finished that cycle.
void JackClient::DetachOutput(const std::string& port) {
    std::lock_guard lock(sendMutex_);
    WaitUntilSent();
    midi_->Disconnect(midi_->OutputPortName(), port);
    outputTarget_.clear();
}

void JackClient::WaitUntilSent() {
    if (!PollUntil([&] { return !Alive() || midi_->SendQueueEmpty(); }, config_.drainTimeout)) {
        return;
    }
    const std::uint64_t emptiedAt = midi_->Cycles();
    PollUntil([&] { return !Alive() || midi_->Cycles() > emptiedAt; }, config_.drainTimeout);
}

MMRESULT JackClient::Send(const std::uint8_t* bytes, std::size_t length) {
    std::lock_guard lock(sendMutex_);
    if (length > midi_->MaxMessageBytes()) {
        return MMSYSERR_INVALPARAM;
    }
    const bool queued = PollUntil(
        [&] {
            return !Alive() || midi_->Send({bytes, length});
        },
        config_.sendTimeout);
    if (!Alive()) {
        return MMSYSERR_NODRIVER;
    }
    return queued ? MMSYSERR_NOERROR : MIDIERR_NOTREADY;
}

// The reader's waits end with a message, with the server, or with the destructor's wake-up.
void JackClient::ReadInbound() {
    std::vector<std::uint8_t> message;
    while (!stopping_.load(std::memory_order_acquire)) {
        const auto forever = std::chrono::steady_clock::now() + std::chrono::hours(24);
        if (!midi_->Receive(message, forever)) {
            if (!Alive()) {
                return;
            }
            continue;
        }
        std::lock_guard lock(sinkMutex_);
        if (sink_ != nullptr) {
            sink_->OnMessage(message.data(), message.size());
        }
    }
}

}  // namespace kt73b::winmm
