#include "tests/midi/recording_winmm.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <utility>

namespace kt73b::testing {

using MidiInCallback = void (*)(HMIDIIN, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR);
using MidiOutCallback = void (*)(HMIDIOUT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR);

bool RecordingWinmm::ReturnInputBuffer(const std::vector<std::uint8_t>& bytes, UINT message,
                                       bool done) {
    MIDIHDR* header = nullptr;
    {
        auto state = Locked();
        if (state->inQueue.empty()) {
            return false;
        }
        header = state->inQueue.front();
        state->inQueue.pop_front();
    }
    const std::size_t count = std::min<std::size_t>(bytes.size(), header->dwBufferLength);
    if (count != 0) {
        std::memcpy(header->lpData, bytes.data(), count);
    }
    header->dwBytesRecorded = static_cast<DWORD>(count);
    header->dwFlags = (header->dwFlags & ~(MHDR_INQUEUE | MHDR_DONE)) | (done ? MHDR_DONE : 0);
    CallInputCallback(message, reinterpret_cast<DWORD_PTR>(header));
    return true;
}

// Outside the recorder's lock, as a driver calls back from a thread of its own.
void RecordingWinmm::CallInputCallback(UINT message, DWORD_PTR param1) {
    DWORD_PTR callback = 0;
    DWORD_PTR instance = 0;
    {
        auto state = Locked();
        callback = state->inCallback;
        instance = state->inInstance;
    }
    if (callback != 0) {
        reinterpret_cast<MidiInCallback>(callback)(nullptr, message, instance, param1, 0);
    }
}

bool RecordingWinmm::CompleteOutput() {
    MIDIHDR* header = nullptr;
    DWORD_PTR callback = 0;
    DWORD_PTR instance = 0;
    {
        auto state = Locked();
        header = std::exchange(state->outInFlight, nullptr);
        if (header == nullptr) {
            return false;
        }
        std::atomic_ref<DWORD> flags(header->dwFlags);
        flags.store((flags.load() & ~MHDR_INQUEUE) | MHDR_DONE, std::memory_order_release);
        callback = state->outCallback;
        instance = state->outInstance;
    }
    if (callback != 0) {
        reinterpret_cast<MidiOutCallback>(callback)(nullptr, MOM_DONE, instance,
                                                    reinterpret_cast<DWORD_PTR>(header), 0);
    }
    return true;
}

}  // namespace kt73b::testing

namespace {

using kt73b::testing::RecordingWinmm;
using kt73b::testing::WinmmCall;
using State = RecordingWinmm::State;

std::uintptr_t U(const void* pointer) {
    return reinterpret_cast<std::uintptr_t>(pointer);
}

// Records the call under the recorder's lock; a failure planned for it is the call's whole
// effect, else `then`, if any, plays the driver's part.
MMRESULT Record(const char* name, std::vector<std::uintptr_t> args,
                const std::function<MMRESULT(State&)>& then = nullptr) {
    auto locked = RecordingWinmm::Instance().Locked();
    State& state = *locked.state;
    if (state.recording) {
        state.calls.push_back(WinmmCall{name, std::move(args)});
    }
    std::deque<MMRESULT>& planned = state.failNext[name];
    if (planned.empty()) {
        return then ? then(state) : MMSYSERR_NOERROR;
    }
    const MMRESULT result = planned.front();
    planned.pop_front();
    return result;
}

MMRESULT CopyName(const std::vector<std::string>& names, UINT_PTR index, char* destination) {
    if (index >= names.size()) {
        return MMSYSERR_BADDEVICEID;
    }
    std::snprintf(destination, MAXPNAMELEN, "%s", names[index].c_str());
    return MMSYSERR_NOERROR;
}

UINT CountOf(const char* name, std::vector<std::string> State::*devices) {
    UINT count = 0;
    Record(name, {}, [&](State& s) {
        count = static_cast<UINT>((s.*devices).size());
        return MMSYSERR_NOERROR;
    });
    return count;
}

MMRESULT Prepare(LPMIDIHDR header) {
    header->dwFlags |= MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT Unprepare(LPMIDIHDR header) {
    if ((header->dwFlags & MHDR_INQUEUE) != 0) {
        return MIDIERR_STILLPLAYING;
    }
    header->dwFlags &= ~MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

}  // namespace

extern "C" {

UINT midiInGetNumDevs() {
    return CountOf("midiInGetNumDevs", &State::inputs);
}

MMRESULT midiInGetDevCapsA(UINT_PTR id, LPMIDIINCAPSA caps, UINT size) {
    return Record("midiInGetDevCapsA", {id, size},
                  [&](State& s) { return CopyName(s.inputs, id, caps->szPname); });
}

MMRESULT midiInOpen(LPHMIDIIN handle, UINT id, DWORD_PTR callback, DWORD_PTR instance,
                    DWORD flags) {
    return Record("midiInOpen", {id, callback, instance, flags}, [&](State& s) {
        *handle = reinterpret_cast<HMIDIIN>(0x1000);
        s.inCallback = callback;
        s.inInstance = instance;
        return MMSYSERR_NOERROR;
    });
}

MMRESULT midiInClose(HMIDIIN handle) {
    return Record("midiInClose", {U(handle)}, [](State& s) {
        if (!s.inQueue.empty()) {
            return MIDIERR_STILLPLAYING;
        }
        s.inCallback = 0;
        return MMSYSERR_NOERROR;
    });
}

MMRESULT midiInPrepareHeader(HMIDIIN handle, LPMIDIHDR header, UINT size) {
    return Record("midiInPrepareHeader", {U(handle), U(header), size},
                  [&](State&) { return Prepare(header); });
}

MMRESULT midiInUnprepareHeader(HMIDIIN handle, LPMIDIHDR header, UINT size) {
    return Record("midiInUnprepareHeader", {U(handle), U(header), size},
                  [&](State&) { return Unprepare(header); });
}

MMRESULT midiInAddBuffer(HMIDIIN handle, LPMIDIHDR header, UINT size) {
    return Record("midiInAddBuffer", {U(handle), U(header), size}, [&](State& s) {
        if ((header->dwFlags & MHDR_PREPARED) == 0) {
            return MIDIERR_UNPREPARED;
        }
        header->dwFlags = (header->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
        header->dwBytesRecorded = 0;
        s.inQueue.push_back(header);
        return MMSYSERR_NOERROR;
    });
}

MMRESULT midiInStart(HMIDIIN handle) {
    return Record("midiInStart", {U(handle)});
}

MMRESULT midiInStop(HMIDIIN handle) {
    return Record("midiInStop", {U(handle)});
}

// As the platform does: every queued buffer comes back through the callback, done and empty.
MMRESULT midiInReset(HMIDIIN handle) {
    std::deque<MIDIHDR*> returned;
    const MMRESULT result = Record("midiInReset", {U(handle)}, [&](State& s) {
        returned.swap(s.inQueue);
        return MMSYSERR_NOERROR;
    });
    for (MIDIHDR* header : returned) {
        header->dwBytesRecorded = 0;
        header->dwFlags = (header->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
        RecordingWinmm::Instance().CallInputCallback(MIM_LONGDATA, U(header));
    }
    return result;
}

MMRESULT midiInGetErrorTextA(MMRESULT error, LPSTR text, UINT size) {
    Record("midiInGetErrorTextA", {error, size});
    std::strncpy(text, "error", size);
    return MMSYSERR_NOERROR;
}

UINT midiOutGetNumDevs() {
    return CountOf("midiOutGetNumDevs", &State::outputs);
}

MMRESULT midiOutGetDevCapsA(UINT_PTR id, LPMIDIOUTCAPSA caps, UINT size) {
    return Record("midiOutGetDevCapsA", {id, size},
                  [&](State& s) { return CopyName(s.outputs, id, caps->szPname); });
}

MMRESULT midiOutOpen(LPHMIDIOUT handle, UINT id, DWORD_PTR callback, DWORD_PTR instance,
                     DWORD flags) {
    return Record("midiOutOpen", {id, callback, instance, flags}, [&](State& s) {
        *handle = reinterpret_cast<HMIDIOUT>(0x2000);
        s.outCallback = (flags & CALLBACK_FUNCTION) != 0 ? callback : 0;
        s.outInstance = instance;
        return MMSYSERR_NOERROR;
    });
}

MMRESULT midiOutClose(HMIDIOUT handle) {
    return Record("midiOutClose", {U(handle)});
}

MMRESULT midiOutPrepareHeader(HMIDIOUT handle, LPMIDIHDR header, UINT size) {
    return Record("midiOutPrepareHeader", {U(handle), U(header), size},
                  [&](State&) { return Prepare(header); });
}

MMRESULT midiOutUnprepareHeader(HMIDIOUT handle, LPMIDIHDR header, UINT size) {
    return Record("midiOutUnprepareHeader", {U(handle), U(header), size},
                  [&](State&) { return Unprepare(header); });
}

MMRESULT midiOutLongMsg(HMIDIOUT handle, LPMIDIHDR header, UINT size) {
    std::function<void(MIDIHDR*)> hook;
    bool atOnce = false;
    const MMRESULT result = Record("midiOutLongMsg", {U(handle), U(header), size}, [&](State& s) {
        if ((header->dwFlags & MHDR_PREPARED) == 0) {
            return MIDIERR_UNPREPARED;
        }
        atOnce = s.outAtOnce;
        std::atomic_ref<DWORD>(header->dwFlags)
            .store((header->dwFlags & ~MHDR_DONE) | (atOnce ? MHDR_DONE : MHDR_INQUEUE),
                   std::memory_order_release);
        hook = s.longMsgHook;
        s.outInFlight = header;
        return MMSYSERR_NOERROR;
    });
    if (result == MMSYSERR_NOERROR && hook) {
        hook(header);
    }
    if (result == MMSYSERR_NOERROR && atOnce) {
        RecordingWinmm::Instance().CompleteOutput();
    }
    return result;
}

// As the platform does: the header in flight comes back done, through the callback.
MMRESULT midiOutReset(HMIDIOUT handle) {
    const MMRESULT result = Record("midiOutReset", {U(handle)});
    if (result == MMSYSERR_NOERROR) {
        RecordingWinmm::Instance().CompleteOutput();
    }
    return result;
}

MMRESULT timeGetDevCaps(LPTIMECAPS caps, UINT size) {
    return Record("timeGetDevCaps", {size}, [&](State&) {
        caps->wPeriodMin = 1;
        caps->wPeriodMax = 1000000;
        return MMSYSERR_NOERROR;
    });
}

MMRESULT timeBeginPeriod(UINT period) {
    return Record("timeBeginPeriod", {period});
}

MMRESULT timeEndPeriod(UINT period) {
    return Record("timeEndPeriod", {period});
}

MMRESULT timeSetEvent(UINT delay, UINT resolution, LPTIMECALLBACK procedure, DWORD_PTR user,
                      UINT flags) {
    MMRESULT id = 0;
    Record("timeSetEvent",
           {delay, resolution, reinterpret_cast<std::uintptr_t>(procedure), user, flags},
           [&](State& s) {
               s.timerProcedure = procedure;
               s.timerUser = user;
               id = s.nextTimerId++;
               return MMSYSERR_NOERROR;
           });
    return id;
}

MMRESULT timeKillEvent(UINT id) {
    return Record("timeKillEvent", {id});
}

}  // extern "C"

// The recorded devices are the test's own: the dialog may write placeholder images to them.
namespace kt73b::winmm {

bool IsEmulatedMidiIn(UINT) {
    return true;
}

bool IsEmulatedMidiOut(UINT) {
    return true;
}

}  // namespace kt73b::winmm
