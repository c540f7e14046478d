#include "midi/midi_in_port.h"

#include <algorithm>
#include <new>

namespace kt73b {
namespace {

constexpr UINT kErrorTextBytes = 1024;

MIDIHDR* AllocateReceiveBuffer() {
    auto* header = new (std::nothrow) MIDIHDR{};
    auto* data = new (std::nothrow) char[kReceiveBufferBytes]();
    if (header == nullptr || data == nullptr) {
        delete header;
        delete[] data;
        return nullptr;
    }
    header->lpData = data;
    header->dwBufferLength = kReceiveBufferBytes;
    return header;
}

void FreeReceiveBuffer(MIDIHDR* header) {
    delete[] header->lpData;
    delete header;
}

// The driver's text for a failure is fetched, as the platform's habit is, and shown nowhere:
// the owner reports the failure in its own words.
void DropErrorText(MMRESULT result) {
    char text[kErrorTextBytes];
    midiInGetErrorTextA(result, text, kErrorTextBytes);
}

}  // namespace

MidiInPort::~MidiInPort() {
    Close();
    // The queue frees the remaining entries itself. Stranded buffers stay with their driver,
    // which may still write into them: freeing them here could corrupt the heap.
}

UINT MidiInPort::GetNumDevs() const {
    return midiInGetNumDevs();
}

void MidiInPort::GetDeviceName(UINT index, char* destination) const {
    MIDIINCAPSA caps{};
    if (midiInGetDevCapsA(index, &caps, sizeof(caps)) != MMSYSERR_NOERROR) {
        CopyDeviceName(nullptr, destination);
        return;
    }
    CopyDeviceName(caps.szPname, destination);
}

int MidiInPort::Open() {
    if (openFlag_ == 1) {
        return 1;
    }
    MIDIHDR* header = AllocateReceiveBuffer();
    if (header == nullptr) {
        return 0;
    }
    {
        std::lock_guard lock(bufferMutex_);
        header_ = header;
        closing_ = false;
        bufferLent_ = false;
    }
    return OpenAndStart();
}

int MidiInPort::OpenAndStart() {
    HMIDIIN handle = nullptr;
    MMRESULT result = midiInOpen(&handle, deviceIndex_, reinterpret_cast<DWORD_PTR>(&MidiInProc),
                                 reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION);
    const bool device_opened = result == MMSYSERR_NOERROR;
    if (device_opened) {
        handle_ = handle;
        result = midiInReset(handle_);
    }
    if (result == MMSYSERR_NOERROR) {
        result = midiInPrepareHeader(handle_, header_, kMidiHdrBytes);
    }
    if (result == MMSYSERR_NOERROR) {
        // Marked lent in the same step, so a message that comes back at once finds it so.
        std::lock_guard lock(bufferMutex_);
        result = midiInAddBuffer(handle_, header_, kMidiHdrBytes);
        bufferLent_ = result == MMSYSERR_NOERROR;
    }
    if (result == MMSYSERR_NOERROR) {
        result = midiInStart(handle_);
    }
    if (result == MMSYSERR_NOERROR) {
        openFlag_ = 1;
        return 1;
    }
    DropErrorText(result);
    UndoOpen(device_opened);
    return 0;
}

// A half-made open would keep the device busy and the buffer with a driver nobody closes; the
// next Open would then open the device a second time.
void MidiInPort::UndoOpen(bool device_opened) {
    {
        std::lock_guard lock(bufferMutex_);
        closing_ = true;
    }
    if (device_opened) {
        MMRESULT result = midiInReset(handle_);
        if (result == MMSYSERR_NOERROR) {
            result = midiInUnprepareHeader(handle_, header_, kMidiHdrBytes);
        }
        if (result == MMSYSERR_NOERROR) {
            result = midiInClose(handle_);
        }
        if (result == MMSYSERR_NOERROR) {
            handle_ = nullptr;
        }
    }
    ReleaseReceiveBuffer();
}

int MidiInPort::Close() {
    if (openFlag_ == 0) {
        return 0;
    }
    {
        std::lock_guard lock(bufferMutex_);
        closing_ = true;
    }
    if (handle_ != nullptr) {
        const MMRESULT result = StopAndClose();
        if (result != MMSYSERR_NOERROR) {
            DropErrorText(result);
        }
    }
    ReleaseReceiveBuffer();
    openFlag_ = 0;
    return 0;
}

// Stop and reset hand the buffer back through the callback, which keeps it while closing_ is
// set, so it is with the port again before it is unprepared.
MMRESULT MidiInPort::StopAndClose() {
    MMRESULT result = midiInStop(handle_);
    if (result == MMSYSERR_NOERROR) {
        result = midiInReset(handle_);
    }
    if (result == MMSYSERR_NOERROR) {
        result = midiInUnprepareHeader(handle_, header_, kMidiHdrBytes);
    }
    if (result == MMSYSERR_NOERROR) {
        result = midiInClose(handle_);
    }
    if (result == MMSYSERR_NOERROR) {
        handle_ = nullptr;
    }
    return result;
}

int MidiInPort::CloseIfOpen() {
    if (handle_ == nullptr) {
        return 0;
    }
    Close();
    return 1;
}

void MidiInPort::ReleaseReceiveBuffer() {
    std::lock_guard lock(bufferMutex_);
    if (header_ == nullptr) {
        return;
    }
    if (bufferLent_) {
        stranded_.push_back(header_);
    } else {
        FreeReceiveBuffer(header_);
    }
    header_ = nullptr;
    bufferLent_ = false;
}

void CALLBACK MidiInPort::MidiInProc(HMIDIIN /*handle*/, UINT message, DWORD_PTR instance,
                                     DWORD_PTR param1, DWORD_PTR /*param2*/) {
    reinterpret_cast<MidiInPort*>(instance)->OnMidiInput(message, param1);
}

void MidiInPort::OnMidiInput(UINT message, DWORD_PTR param1) {
    if (message != MIM_LONGDATA && message != MIM_LONGERROR) {
        return;
    }
    auto* header = reinterpret_cast<MIDIHDR*>(param1);
    if (header == nullptr || !IsReceiveBuffer(header)) {
        return;
    }
    bool queued = false;
    if (message == MIM_LONGDATA && (header->dwFlags & MHDR_DONE) != 0 &&
        header->dwBytesRecorded != 0) {
        // A driver's count beyond its buffer must not make the copy read past it.
        const std::size_t length = std::min(header->dwBytesRecorded, header->dwBufferLength);
        queued = queue_.Append(reinterpret_cast<const std::uint8_t*>(header->lpData), length);
    }
    // The buffer is back with the driver before anyone hears of the message: the listener's
    // wake sends the next request, and a driver with no buffer drops the answer to it.
    HandBack(header);
    if (queued) {
        NotifyListener();
    }
}

// Handover: the queue's lock orders the appended entry before whatever the listener wakes.
void MidiInPort::NotifyListener() {
    if (InboundListener* listener = listener_.load(std::memory_order_acquire)) {
        listener->OnInboundQueued();
    }
}

// A buffer stranded by a failed close comes back here at last: it is freed, not read, since
// whatever it holds arrived after the port was closed.
bool MidiInPort::IsReceiveBuffer(MIDIHDR* header) {
    std::lock_guard lock(bufferMutex_);
    if (header == header_) {
        return true;
    }
    const auto stranded = std::find(stranded_.begin(), stranded_.end(), header);
    if (stranded != stranded_.end()) {
        stranded_.erase(stranded);
        FreeReceiveBuffer(header);
    }
    return false;
}

// Every returned buffer goes back to the driver, also an empty or erroneous one, or no System
// Exclusive data would arrive until the port is opened again.
void MidiInPort::HandBack(MIDIHDR* header) {
    std::lock_guard lock(bufferMutex_);
    if (header != header_) {
        const auto stranded = std::find(stranded_.begin(), stranded_.end(), header);
        if (stranded != stranded_.end()) {
            stranded_.erase(stranded);
            FreeReceiveBuffer(header);
        }
        return;
    }
    bufferLent_ = false;
    if (closing_) {
        return;
    }
    midiInPrepareHeader(handle_, header, kMidiHdrBytes);
    bufferLent_ = midiInAddBuffer(handle_, header, kMidiHdrBytes) == MMSYSERR_NOERROR;
}

}  // namespace kt73b
