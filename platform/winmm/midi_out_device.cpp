#include "platform/winmm/midi_out_device.h"

#include <atomic>
#include <cstdint>

namespace kt73b::winmm {
namespace {

using MidiOutCallback = void (*)(HMIDIOUT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR);

bool HeaderUsable(const MIDIHDR* header, UINT size) {
    return header != nullptr && size >= sizeof(MIDIHDR) && header->lpData != nullptr &&
           header->dwBufferLength != 0;
}

void StoreFlags(MIDIHDR& header, DWORD flags) {
    std::atomic_ref<DWORD>(header.dwFlags).store(flags, std::memory_order_release);
}

}  // namespace

MMRESULT MidiOutDevice::Open(Provider& provider, const std::string& key) {
    MMRESULT result = MMSYSERR_NOERROR;
    {
        std::lock_guard lock(sendMutex_);
        result = provider.OpenOutput(key, &connection_);
    }
    if (result == MMSYSERR_NOERROR) {
        Call(MOM_OPEN, 0);
    }
    return result;
}

MMRESULT MidiOutDevice::Prepare(MIDIHDR* header, UINT size) {
    if (!HeaderUsable(header, size)) {
        return MMSYSERR_INVALPARAM;
    }
    std::lock_guard lock(flagsMutex_);
    StoreFlags(*header, header->dwFlags | MHDR_PREPARED);
    return MMSYSERR_NOERROR;
}

MMRESULT MidiOutDevice::Unprepare(MIDIHDR* header, UINT size) {
    if (header == nullptr || size < sizeof(MIDIHDR)) {
        return MMSYSERR_INVALPARAM;
    }
    std::lock_guard lock(flagsMutex_);
    if ((header->dwFlags & MHDR_INQUEUE) != 0) {
        return MIDIERR_STILLPLAYING;
    }
    StoreFlags(*header, header->dwFlags & ~MHDR_PREPARED);
    return MMSYSERR_NOERROR;
}

MMRESULT MidiOutDevice::LongMsg(MIDIHDR* header, UINT size) {
    if (!HeaderUsable(header, size)) {
        return MMSYSERR_INVALPARAM;
    }
    {
        std::lock_guard lock(flagsMutex_);
        if ((header->dwFlags & MHDR_PREPARED) == 0) {
            return MIDIERR_UNPREPARED;
        }
        if ((header->dwFlags & MHDR_INQUEUE) != 0) {
            return MIDIERR_STILLPLAYING;
        }
        StoreFlags(*header, (header->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE);
    }
    MMRESULT result = MMSYSERR_NODRIVER;
    {
        std::lock_guard lock(sendMutex_);
        if (connection_ != nullptr) {
            result = connection_->Send(reinterpret_cast<const std::uint8_t*>(header->lpData),
                                       header->dwBufferLength);
        }
    }
    {
        std::lock_guard lock(flagsMutex_);
        const DWORD done = result == MMSYSERR_NOERROR ? MHDR_DONE : 0;
        StoreFlags(*header, (header->dwFlags & ~MHDR_INQUEUE) | done);
    }
    // Handover: the flag is set before the application hears of it, as the platform does.
    if (result == MMSYSERR_NOERROR) {
        Call(MOM_DONE, reinterpret_cast<DWORD_PTR>(header));
    }
    return result;
}

void MidiOutDevice::Close() {
    {
        std::lock_guard lock(sendMutex_);
        connection_.reset();
    }
    Call(MOM_CLOSE, 0);
}

// Never under a lock of ours: the application may call back into the layer.
void MidiOutDevice::Call(UINT message, DWORD_PTR param1) {
    if (callback_ != 0) {
        reinterpret_cast<MidiOutCallback>(callback_)(handle_, message, instance_, param1, 0);
    }
}

}  // namespace kt73b::winmm
