// One open midiIn handle of the layer: the buffers the application lent it, whether input is
// started, and the callback thread on which every message reaches the application, one at a
// time and in order of arrival.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/winmm/mmsystem_api.h"
#include "platform/winmm/provider.h"

namespace kt73b::winmm {

class MidiInDevice final : public InputSink, public std::enable_shared_from_this<MidiInDevice> {
  public:
    MidiInDevice(HMIDIIN handle, DWORD_PTR callback, DWORD_PTR instance);
    ~MidiInDevice() override;

    // Connects to the provider's port and starts the callback thread (MIM_OPEN comes first).
    MMRESULT Open(Provider& provider, const std::string& key);

    // Provider threads: a whole message, queued for the callback thread while input is started.
    void OnMessage(const std::uint8_t* bytes, std::size_t length) override;

    MMRESULT Prepare(MIDIHDR* header, UINT size);
    MMRESULT Unprepare(MIDIHDR* header, UINT size);
    MMRESULT AddBuffer(MIDIHDR* header, UINT size);
    MMRESULT Start();
    MMRESULT Stop();
    // Returns every queued buffer through the callback, marked done, before it returns (unless
    // called from the callback itself, which gets them right after it returns).
    MMRESULT Reset();
    // MIDIERR_STILLPLAYING while buffers are queued; else disconnects, sends MIM_CLOSE and ends
    // the callback thread.
    MMRESULT Close();

  private:
    struct Event {
        enum class Kind { kOpen, kMessage, kReturnBuffer, kClose } kind = Kind::kOpen;
        std::vector<std::uint8_t> bytes;
        MIDIHDR* header = nullptr;
        DWORD timestamp = 0;
    };

    void Run();
    void Push(Event event);
    void Recycle(std::list<Event>& delivered);
    void DropPendingMessages();
    void Deliver(const Event& event);
    void DeliverSysEx(const Event& event);
    void Call(UINT message, DWORD_PTR param1, DWORD_PTR param2);
    DWORD Timestamp() const;
    bool OnCallbackThread() const;  // under mutex_

    const HMIDIIN handle_;
    const DWORD_PTR callback_;
    const DWORD_PTR instance_;

    // Guards everything below; never held while the application's callback runs, so the
    // callback may call back into the layer.
    std::mutex mutex_;
    std::condition_variable changed_;
    // For the callback thread. A list, so that an event's node and its bytes' storage go back
    // to spare_ once delivered and carry the next message without an allocation.
    std::list<Event> events_;
    std::list<Event> spare_;        // delivered message events, kept for reuse
    std::deque<MIDIHDR*> buffers_;  // lent by the application, oldest first
    bool started_ = false;
    bool closed_ = false;
    std::uint64_t pushed_ = 0;    // events ever queued
    std::uint64_t finished_ = 0;  // events the callback thread has finished
    std::chrono::steady_clock::time_point startedAt_{};
    std::thread::id callbackThreadId_;  // set before the thread runs any event

    std::unique_ptr<InputConnection> connection_;  // dialog's thread: Open and Close only
    std::thread thread_;
};

}  // namespace kt73b::winmm
