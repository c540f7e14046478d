#include "platform/winmm/midi_out_device.h"

#include <atomic>
#include <cstdint>

namespace kt73b::winmm {
namespace {

bool HeaderUsable(const MIDIHDR* header, UINT size) {
    return header != nullptr && size >= sizeof(MIDIHDR) && header->lpData != nullptr &&
           header->dwBufferLength != 0;
}

void StoreFlags(MIDIHDR& header, DWORD flags) {
    std::atomic_ref<DWORD>(header.dwFlags).store(flags, std::memory_order_release);
}

}  // namespace

MMRESULT MidiOutDevice::Open(Provider& provider, const std::string& key) {
    std::lock_guard lock(send_mutex_);
    return provider.OpenOutput(key, &connection_);
}

MMRESULT MidiOutDevice::Prepare(MIDIHDR* header, UINT size) {
    if (!HeaderUsable(header, size)) {
        return MMSYSERR_INVALPARAM;
    }
    std::lock_guard lock(flags_mutex_);
    StoreFlags(*header, header->dwFlags | MHDR_PREPARED);
    return MMSYSERR_NOERROR;
}

MMRESULT MidiOutDevice::Unprepare(MIDIHDR* header, UINT size) {
    if (header == nullptr || size < sizeof(MIDIHDR)) {
        return MMSYSERR_INVALPARAM;
    }
    std::lock_guard lock(flags_mutex_);
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
        std::lock_guard lock(flags_mutex_);
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
        std::lock_guard lock(send_mutex_);
        if (connection_ != nullptr) {
            result = connection_->Send(reinterpret_cast<const std::uint8_t*>(header->lpData),
                                       header->dwBufferLength);
        }
    }
    std::lock_guard lock(flags_mutex_);
    const DWORD done = result == MMSYSERR_NOERROR ? MHDR_DONE : 0;
    StoreFlags(*header, (header->dwFlags & ~MHDR_INQUEUE) | done);
    return result;
}

void MidiOutDevice::Close() {
    std::lock_guard lock(send_mutex_);
    connection_.reset();
}

}  // namespace kt73b::winmm
