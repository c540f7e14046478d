#include "midi/midi_out_port.h"

#include <algorithm>
#include <atomic>

namespace kt73b {

MidiOutPort::~MidiOutPort() {
    Close();
}

UINT MidiOutPort::GetNumDevs() const {
    return midiOutGetNumDevs();
}

void MidiOutPort::GetDeviceName(UINT index, char* destination) const {
    MIDIOUTCAPSA caps{};
    if (midiOutGetDevCapsA(index, &caps, sizeof(caps)) != MMSYSERR_NOERROR) {
        CopyDeviceName(nullptr, destination);
        return;
    }
    CopyDeviceName(caps.szPname, destination);
}

int MidiOutPort::Open(UINT index) {
    std::lock_guard lock(mutex_);
    if (handle_ != nullptr && deviceIndex_ == index) {
        return 1;
    }
    if (handle_ != nullptr) {
        CloseLocked();
    }
    deviceIndex_ = index;
    HMIDIOUT handle = nullptr;
    if (midiOutOpen(&handle, index, reinterpret_cast<DWORD_PTR>(&MidiOutProc),
                    reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
        return 0;
    }
    handle_ = handle;
    return 1;
}

int MidiOutPort::Close() {
    std::lock_guard lock(mutex_);
    return CloseLocked();
}

int MidiOutPort::CloseLocked() {
    if (handle_ == nullptr) {
        return 0;
    }
    midiOutClose(handle_);
    handle_ = nullptr;
    return 1;
}

int MidiOutPort::SendLong(MIDIHDR* header) {
    std::lock_guard lock(mutex_);
    if (handle_ == nullptr) {
        return 0;
    }
    if (midiOutPrepareHeader(handle_, header, kMidiHdrBytes) != MMSYSERR_NOERROR) {
        return 0;
    }
    // A refused header is unprepared before the caller's stack frame that holds it goes away.
    if (midiOutLongMsg(handle_, header, kMidiHdrBytes) != MMSYSERR_NOERROR) {
        midiOutUnprepareHeader(handle_, header, kMidiHdrBytes);
        return 0;
    }
    if (!WaitUntilDone(*header)) {
        // The reset makes the driver give the header back, so it can be unprepared and the
        // caller sees a failure instead of waiting for ever.
        midiOutReset(handle_);
        midiOutUnprepareHeader(handle_, header, kMidiHdrBytes);
        return 0;
    }
    midiOutUnprepareHeader(handle_, header, kMidiHdrBytes);
    return 1;
}

// The driver sets MHDR_DONE from a thread of its own, then calls back with MOM_DONE; the atomic
// read orders what it did with the bytes before our return. One wake-up per send, not one per
// millisecond of it.
bool MidiOutPort::WaitUntilDone(MIDIHDR& header) {
    const auto deadline = clock_.Now() + kSendDoneTimeout;
    std::atomic_ref<DWORD> flags(header.dwFlags);
    std::unique_lock lock(doneMutex_);
    while ((flags.load(std::memory_order_acquire) & MHDR_DONE) == 0) {
        const auto now = clock_.Now();
        if (now >= deadline) {
            return false;
        }
        clock_.WaitUntil(done_, lock, std::min(deadline, now + kSendDoneRecheck));
    }
    return true;
}

void CALLBACK MidiOutPort::MidiOutProc(HMIDIOUT /*handle*/, UINT message, DWORD_PTR instance,
                                       DWORD_PTR /*param1*/, DWORD_PTR /*param2*/) {
    if (message == MOM_DONE) {
        reinterpret_cast<MidiOutPort*>(instance)->OnSendDone();
    }
}

// Only a lock and a notify: the platform allows little more inside its callbacks.
void MidiOutPort::OnSendDone() {
    // Handover: taking the lock orders the flag the driver set before a sender's next look.
    { std::lock_guard lock(doneMutex_); }
    done_.notify_all();
}

}  // namespace kt73b
