#include "platform/winmm/midi_in_device.h"

#include <algorithm>
#include <cstring>

#include "platform/midi_bytes.h"

namespace kt73b::winmm {
namespace {

using MidiInCallback = void (*)(HMIDIIN, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR);

// Message events kept for reuse: a few cover the messages in flight at once.
constexpr std::size_t kSpareEvents = 8;

bool HeaderUsable(const MIDIHDR* header, UINT size) {
    return header != nullptr && size >= sizeof(MIDIHDR) && header->lpData != nullptr &&
           header->dwBufferLength != 0;
}

// A short message as MIM_DATA carries it: status in the low byte, then up to two data bytes.
DWORD_PTR PackShortMessage(const std::vector<std::uint8_t>& bytes) {
    DWORD packed = 0;
    for (std::size_t i = 0; i < bytes.size() && i < 3; ++i) {
        packed |= static_cast<DWORD>(bytes[i]) << (8 * i);
    }
    return packed;
}

}  // namespace

MidiInDevice::MidiInDevice(HMIDIIN handle, DWORD_PTR callback, DWORD_PTR instance)
    : handle_(handle), callback_(callback), instance_(instance) {}

MidiInDevice::~MidiInDevice() {
    if (thread_.joinable()) {
        thread_.detach();
    }
}

MMRESULT MidiInDevice::Open(Provider& provider, const std::string& key) {
    const MMRESULT result = provider.OpenInput(key, *this, &connection_);
    if (result != MMSYSERR_NOERROR) {
        return result;
    }
    Push(Event{Event::Kind::kOpen, {}, nullptr, 0});
    // The thread keeps the device alive until it has sent MIM_CLOSE.
    thread_ = std::thread([self = shared_from_this()] { self->Run(); });
    std::lock_guard lock(mutex_);
    callbackThreadId_ = thread_.get_id();
    return MMSYSERR_NOERROR;
}

void MidiInDevice::OnMessage(const std::uint8_t* bytes, std::size_t length) {
    if (length == 0) {
        return;
    }
    std::lock_guard lock(mutex_);
    if (!started_ || closed_) {
        return;
    }
    if (spare_.empty()) {
        spare_.emplace_back();
    }
    events_.splice(events_.end(), spare_, spare_.begin());
    Event& event = events_.back();
    event.kind = Event::Kind::kMessage;
    event.bytes.assign(bytes, bytes + length);
    event.header = nullptr;
    event.timestamp = Timestamp();
    ++pushed_;
    changed_.notify_all();
}

MMRESULT MidiInDevice::Prepare(MIDIHDR* header, UINT size) {
    if (!HeaderUsable(header, size)) {
        return MMSYSERR_INVALPARAM;
    }
    std::lock_guard lock(mutex_);
    header->dwFlags |= MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT MidiInDevice::Unprepare(MIDIHDR* header, UINT size) {
    if (header == nullptr || size < sizeof(MIDIHDR)) {
        return MMSYSERR_INVALPARAM;
    }
    std::lock_guard lock(mutex_);
    if ((header->dwFlags & MHDR_INQUEUE) != 0) {
        return MIDIERR_STILLPLAYING;
    }
    header->dwFlags &= ~MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT MidiInDevice::AddBuffer(MIDIHDR* header, UINT size) {
    if (!HeaderUsable(header, size)) {
        return MMSYSERR_INVALPARAM;
    }
    std::lock_guard lock(mutex_);
    if ((header->dwFlags & MHDR_PREPARED) == 0) {
        return MIDIERR_UNPREPARED;
    }
    if ((header->dwFlags & MHDR_INQUEUE) != 0) {
        return MIDIERR_STILLPLAYING;
    }
    header->dwFlags = (header->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
    header->dwBytesRecorded = 0;
    buffers_.push_back(header);
    return MMSYSERR_NOERROR;
}

MMRESULT MidiInDevice::Start() {
    std::lock_guard lock(mutex_);
    if (!started_) {
        started_ = true;
        startedAt_ = std::chrono::steady_clock::now();
    }
    return MMSYSERR_NOERROR;
}

MMRESULT MidiInDevice::Stop() {
    std::lock_guard lock(mutex_);
    started_ = false;
    DropPendingMessages();
    return MMSYSERR_NOERROR;
}

MMRESULT MidiInDevice::Reset() {
    std::unique_lock lock(mutex_);
    started_ = false;
    DropPendingMessages();
    for (MIDIHDR* header : buffers_) {
        header->dwFlags = (header->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
        events_.push_back(Event{Event::Kind::kReturnBuffer, {}, header, 0});
        ++pushed_;
    }
    buffers_.clear();
    changed_.notify_all();
    if (OnCallbackThread()) {
        return MMSYSERR_NOERROR;
    }
    const std::uint64_t target = pushed_;
    changed_.wait(lock, [&] { return finished_ >= target; });
    return MMSYSERR_NOERROR;
}

MMRESULT MidiInDevice::Close() {
    {
        std::lock_guard lock(mutex_);
        if (!buffers_.empty()) {
            return MIDIERR_STILLPLAYING;
        }
        closed_ = true;
        started_ = false;
        DropPendingMessages();
    }
    // Not under mutex_: the provider may be inside OnMessage, waiting for it.
    connection_.reset();
    Push(Event{Event::Kind::kClose, {}, nullptr, 0});
    bool on_callback_thread = false;
    {
        std::lock_guard lock(mutex_);
        on_callback_thread = OnCallbackThread();
    }
    if (on_callback_thread) {
        thread_.detach();
    } else if (thread_.joinable()) {
        thread_.join();
    }
    return MMSYSERR_NOERROR;
}

void MidiInDevice::Push(Event event) {
    std::lock_guard lock(mutex_);
    events_.push_back(std::move(event));
    ++pushed_;
    changed_.notify_all();
}

void MidiInDevice::DropPendingMessages() {
    const auto removed = std::erase_if(
        events_, [](const Event& event) { return event.kind == Event::Kind::kMessage; });
    finished_ += removed;
}

void MidiInDevice::Run() {
    std::list<Event> taken;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return !events_.empty(); });
            taken.splice(taken.end(), events_, events_.begin());
        }
        Deliver(taken.front());
        std::lock_guard lock(mutex_);
        ++finished_;
        changed_.notify_all();
        if (taken.front().kind == Event::Kind::kClose) {
            return;
        }
        Recycle(taken);
    }
}

// Under mutex_: a delivered message's event goes back for the next message, the rest go.
void MidiInDevice::Recycle(std::list<Event>& delivered) {
    if (delivered.front().kind == Event::Kind::kMessage && spare_.size() < kSpareEvents) {
        spare_.splice(spare_.end(), delivered, delivered.begin());
    } else {
        delivered.pop_front();
    }
}

void MidiInDevice::Deliver(const Event& event) {
    switch (event.kind) {
        case Event::Kind::kOpen:
            Call(MIM_OPEN, 0, 0);
            break;
        case Event::Kind::kClose:
            Call(MIM_CLOSE, 0, 0);
            break;
        case Event::Kind::kReturnBuffer:
            Call(MIM_LONGDATA, reinterpret_cast<DWORD_PTR>(event.header), event.timestamp);
            break;
        case Event::Kind::kMessage:
            if (event.bytes.front() == kSysExStart) {
                DeliverSysEx(event);
            } else {
                Call(MIM_DATA, PackShortMessage(event.bytes), event.timestamp);
            }
            break;
    }
}

// A message longer than one buffer fills the buffers one after the other, as the platform does;
// with no buffer left, the rest of it is lost.
void MidiInDevice::DeliverSysEx(const Event& event) {
    std::size_t offset = 0;
    while (offset < event.bytes.size()) {
        MIDIHDR* header = nullptr;
        {
            std::lock_guard lock(mutex_);
            if (!started_ || buffers_.empty()) {
                return;
            }
            header = buffers_.front();
            buffers_.pop_front();
            const std::size_t count =
                std::min<std::size_t>(event.bytes.size() - offset, header->dwBufferLength);
            std::memcpy(header->lpData, event.bytes.data() + offset, count);
            header->dwBytesRecorded = static_cast<DWORD>(count);
            header->dwFlags = (header->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
            offset += count;
        }
        Call(MIM_LONGDATA, reinterpret_cast<DWORD_PTR>(header), event.timestamp);
    }
}

void MidiInDevice::Call(UINT message, DWORD_PTR param1, DWORD_PTR param2) {
    if (callback_ == 0) {
        return;
    }
    reinterpret_cast<MidiInCallback>(callback_)(handle_, message, instance_, param1, param2);
}

// Milliseconds since midiInStart, as MIM_DATA and MIM_LONGDATA carry them.
DWORD MidiInDevice::Timestamp() const {
    const auto elapsed = std::chrono::steady_clock::now() - startedAt_;
    return static_cast<DWORD>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

bool MidiInDevice::OnCallbackThread() const {
    return std::this_thread::get_id() == callbackThreadId_;
}

}  // namespace kt73b::winmm
