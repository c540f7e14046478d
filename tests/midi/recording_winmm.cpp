#include "tests/midi/recording_winmm.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace {

using kt73b::testing::RecordingWinmm;

using Driver = RecordingWinmm::State;

// Records the call; a failure planned for it is the call's whole effect, else `then`, if any,
// plays the driver's part under the lock.
MMRESULT Record(const char* name, std::initializer_list<std::uintptr_t> numbers = {},
                const std::function<MMRESULT(Driver&)>& then = nullptr) {
    auto locked = RecordingWinmm::Instance().Locked();
    Driver& d = *locked.state;
    if (d.recording) {
        std::string call = name;
        for (const std::uintptr_t number : numbers) {
            call += " " + std::to_string(number);
        }
        d.calls.push_back(std::move(call));
    }
    std::deque<MMRESULT>& planned = d.failNext[name];
    if (planned.empty()) {
        return then ? then(d) : MMSYSERR_NOERROR;
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

MMRESULT Prepare(const char* name, LPMIDIHDR header, bool prepared) {
    return Record(name, {}, [&](Driver&) {
        header->dwFlags =
            prepared ? header->dwFlags | MHDR_PREPARED : header->dwFlags & ~MHDR_PREPARED;
        return MMSYSERR_NOERROR;
    });
}

}  // namespace

extern "C" {

UINT midiInGetNumDevs() {
    return static_cast<UINT>(RecordingWinmm::Instance().Locked()->inputs.size());
}

MMRESULT midiInGetDevCapsA(UINT_PTR id, LPMIDIINCAPSA caps, UINT) {
    return Record("midiInGetDevCapsA", {id},
                  [&](Driver& d) { return CopyName(d.inputs, id, caps->szPname); });
}

MMRESULT midiInOpen(LPHMIDIIN handle, UINT id, DWORD_PTR callback, DWORD_PTR instance, DWORD) {
    return Record("midiInOpen", {id}, [&](Driver& d) {
        *handle = reinterpret_cast<HMIDIIN>(0x1000);
        d.inCallback = callback;
        d.inInstance = instance;
        return MMSYSERR_NOERROR;
    });
}

MMRESULT midiInClose(HMIDIIN) {
    return Record("midiInClose", {}, [](Driver& d) {
        d.inCallback = 0;
        return MMSYSERR_NOERROR;
    });
}

MMRESULT midiInPrepareHeader(HMIDIIN, LPMIDIHDR header, UINT) {
    return Prepare("midiInPrepareHeader", header, true);
}

MMRESULT midiInUnprepareHeader(HMIDIIN, LPMIDIHDR header, UINT) {
    return Prepare("midiInUnprepareHeader", header, false);
}

MMRESULT midiInAddBuffer(HMIDIIN, LPMIDIHDR header, UINT) {
    return Record("midiInAddBuffer", {}, [&](Driver& d) {
        header->dwFlags = (header->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
        d.inQueue.push_back(header);
        return MMSYSERR_NOERROR;
    });
}

MMRESULT midiInStart(HMIDIIN) {
    return Record("midiInStart");
}

MMRESULT midiInStop(HMIDIIN) {
    return Record("midiInStop");
}

// As the platform does: every queued buffer comes back through the callback, done and empty.
MMRESULT midiInReset(HMIDIIN) {
    std::deque<MIDIHDR*> returned;
    const MMRESULT result = Record("midiInReset", {}, [&](Driver& d) {
        returned.swap(d.inQueue);
        return MMSYSERR_NOERROR;
    });
    for (MIDIHDR* header : returned) {
        header->dwBytesRecorded = 0;
        RecordingWinmm::SetFlags(header, MHDR_INQUEUE, MHDR_DONE);
        RecordingWinmm::Instance().CallInputCallback(MIM_LONGDATA,
                                                     reinterpret_cast<DWORD_PTR>(header));
    }
    return result;
}

MMRESULT midiInGetErrorTextA(MMRESULT, LPSTR text, UINT size) {
    std::strncpy(text, "error", size);
    return Record("midiInGetErrorTextA");
}

UINT midiOutGetNumDevs() {
    return static_cast<UINT>(RecordingWinmm::Instance().Locked()->outputs.size());
}

MMRESULT midiOutGetDevCapsA(UINT_PTR id, LPMIDIOUTCAPSA caps, UINT) {
    return Record("midiOutGetDevCapsA", {id},
                  [&](Driver& d) { return CopyName(d.outputs, id, caps->szPname); });
}

MMRESULT midiOutOpen(LPHMIDIOUT handle, UINT id, DWORD_PTR callback, DWORD_PTR instance, DWORD) {
    return Record("midiOutOpen", {id}, [&](Driver& d) {
        *handle = reinterpret_cast<HMIDIOUT>(0x2000);
        d.outCallback = callback;
        d.outInstance = instance;
        return MMSYSERR_NOERROR;
    });
}

MMRESULT midiOutClose(HMIDIOUT) {
    return Record("midiOutClose");
}

MMRESULT midiOutPrepareHeader(HMIDIOUT, LPMIDIHDR header, UINT) {
    return Prepare("midiOutPrepareHeader", header, true);
}

MMRESULT midiOutUnprepareHeader(HMIDIOUT, LPMIDIHDR header, UINT) {
    return Prepare("midiOutUnprepareHeader", header, false);
}

MMRESULT midiOutLongMsg(HMIDIOUT, LPMIDIHDR header, UINT) {
    std::function<void(MIDIHDR*)> hook;
    bool atOnce = false;
    const MMRESULT result = Record("midiOutLongMsg", {}, [&](Driver& d) {
        atOnce = d.outAtOnce;
        RecordingWinmm::SetFlags(header, MHDR_DONE, atOnce ? MHDR_DONE : MHDR_INQUEUE);
        hook = d.longMsgHook;
        d.outInFlight = header;
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
MMRESULT midiOutReset(HMIDIOUT) {
    const MMRESULT result = Record("midiOutReset");
    if (result == MMSYSERR_NOERROR) {
        RecordingWinmm::Instance().CompleteOutput();
    }
    return result;
}

MMRESULT timeGetDevCaps(LPTIMECAPS caps, UINT) {
    return Record("timeGetDevCaps", {}, [&](Driver&) {
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
    Record("timeSetEvent", {delay, resolution, flags}, [&](Driver& d) {
        d.timerProcedure = procedure;
        d.timerUser = user;
        id = d.nextTimerId++;
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
