// midiOut* of the mux. MIDI_MAPPER, the system's default output, stays the system's.
#include "platform/winmm/emulated_devices.h"
#include "platform/winmm/win32/mux_routing.h"
#include "platform/winmm/win32/winmm_mux.h"

namespace kt73b::winmm::mux {

namespace {

SystemDeviceCount& SystemOutputs() {
    static SystemDeviceCount count(&SystemWinmm::midiOutGetNumDevs);
    return count;
}

bool IsSystemDevice(UINT_PTR index) {
    return index == MIDI_MAPPER || index < SystemOutputs().Last();
}

}  // namespace

UINT WINAPI MidiOutGetNumDevs() {
    return SystemOutputs().Refresh() + ::midiOutGetNumDevs();
}

MMRESULT WINAPI MidiOutGetDevCapsA(UINT_PTR uDeviceID, LPMIDIOUTCAPSA pmoc, UINT cbmoc) {
    if (IsSystemDevice(uDeviceID)) {
        return CallSystem(MMSYSERR_BADDEVICEID, &SystemWinmm::midiOutGetDevCapsA, uDeviceID, pmoc,
                          cbmoc);
    }
    return ::midiOutGetDevCapsA(uDeviceID - SystemOutputs().Last(), pmoc, cbmoc);
}

MMRESULT WINAPI MidiOutOpen(LPHMIDIOUT phmo, UINT uDeviceID, DWORD_PTR dwCallback,
                            DWORD_PTR dwInstance, DWORD fdwOpen) {
    if (IsSystemDevice(uDeviceID)) {
        return CallSystem(MMSYSERR_NODRIVER, &SystemWinmm::midiOutOpen, phmo, uDeviceID, dwCallback,
                          dwInstance, fdwOpen);
    }
    const MMRESULT result =
        ::midiOutOpen(phmo, uDeviceID - SystemOutputs().Last(), dwCallback, dwInstance, fdwOpen);
    if (result == MMSYSERR_NOERROR) {
        *phmo = Tagged(*phmo);
    }
    return result;
}

MMRESULT WINAPI MidiOutClose(HMIDIOUT hmo) {
    return IsLayerHandle(hmo) ? ::midiOutClose(Untagged(hmo))
                              : CallSystem(MMSYSERR_INVALHANDLE, &SystemWinmm::midiOutClose, hmo);
}

MMRESULT WINAPI MidiOutPrepareHeader(HMIDIOUT hmo, LPMIDIHDR pmh, UINT cbmh) {
    return IsLayerHandle(hmo) ? ::midiOutPrepareHeader(Untagged(hmo), pmh, cbmh)
                              : CallSystem(MMSYSERR_INVALHANDLE, &SystemWinmm::midiOutPrepareHeader,
                                           hmo, pmh, cbmh);
}

MMRESULT WINAPI MidiOutUnprepareHeader(HMIDIOUT hmo, LPMIDIHDR pmh, UINT cbmh) {
    return IsLayerHandle(hmo) ? ::midiOutUnprepareHeader(Untagged(hmo), pmh, cbmh)
                              : CallSystem(MMSYSERR_INVALHANDLE,
                                           &SystemWinmm::midiOutUnprepareHeader, hmo, pmh, cbmh);
}

MMRESULT WINAPI MidiOutLongMsg(HMIDIOUT hmo, LPMIDIHDR pmh, UINT cbmh) {
    return IsLayerHandle(hmo)
               ? ::midiOutLongMsg(Untagged(hmo), pmh, cbmh)
               : CallSystem(MMSYSERR_INVALHANDLE, &SystemWinmm::midiOutLongMsg, hmo, pmh, cbmh);
}

MMRESULT WINAPI MidiOutReset(HMIDIOUT hmo) {
    return IsLayerHandle(hmo) ? ::midiOutReset(Untagged(hmo))
                              : CallSystem(MMSYSERR_INVALHANDLE, &SystemWinmm::midiOutReset, hmo);
}

MMRESULT WINAPI MidiOutGetErrorTextA(MMRESULT mmrError, LPSTR pszText, UINT cchText) {
    const SystemWinmm& system = System();
    return system.complete ? system.midiOutGetErrorTextA(mmrError, pszText, cchText)
                           : ::midiOutGetErrorTextA(mmrError, pszText, cchText);
}

}  // namespace kt73b::winmm::mux

namespace kt73b::winmm {

// The layer's devices follow the system's; its only provider here is the in-process loopback.
bool IsEmulatedMidiOut(UINT index) {
    return !mux::IsSystemDevice(index);
}

}  // namespace kt73b::winmm
