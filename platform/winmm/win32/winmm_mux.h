// The MIDI devices of a Windows program that reaches both the system's devices and in-process
// ones (the emulated device): the system's devices first, the layer's after them, each call
// passed on unchanged to the side it concerns. Handles of the layer's devices carry a tag that
// no system handle has, so a handle leads back to the side that made it.
#pragma once

#include "platform/winmm/mmsystem_api.h"

namespace kt73b::winmm::mux {

UINT WINAPI MidiInGetNumDevs();
MMRESULT WINAPI MidiInGetDevCapsA(UINT_PTR uDeviceID, LPMIDIINCAPSA pmic, UINT cbmic);
MMRESULT WINAPI MidiInOpen(LPHMIDIIN phmi, UINT uDeviceID, DWORD_PTR dwCallback,
                           DWORD_PTR dwInstance, DWORD fdwOpen);
MMRESULT WINAPI MidiInClose(HMIDIIN hmi);
MMRESULT WINAPI MidiInPrepareHeader(HMIDIIN hmi, LPMIDIHDR pmh, UINT cbmh);
MMRESULT WINAPI MidiInUnprepareHeader(HMIDIIN hmi, LPMIDIHDR pmh, UINT cbmh);
MMRESULT WINAPI MidiInAddBuffer(HMIDIIN hmi, LPMIDIHDR pmh, UINT cbmh);
MMRESULT WINAPI MidiInStart(HMIDIIN hmi);
MMRESULT WINAPI MidiInStop(HMIDIIN hmi);
MMRESULT WINAPI MidiInReset(HMIDIIN hmi);
MMRESULT WINAPI MidiInGetErrorTextA(MMRESULT mmrError, LPSTR pszText, UINT cchText);

UINT WINAPI MidiOutGetNumDevs();
MMRESULT WINAPI MidiOutGetDevCapsA(UINT_PTR uDeviceID, LPMIDIOUTCAPSA pmoc, UINT cbmoc);
MMRESULT WINAPI MidiOutOpen(LPHMIDIOUT phmo, UINT uDeviceID, DWORD_PTR dwCallback,
                            DWORD_PTR dwInstance, DWORD fdwOpen);
MMRESULT WINAPI MidiOutClose(HMIDIOUT hmo);
MMRESULT WINAPI MidiOutPrepareHeader(HMIDIOUT hmo, LPMIDIHDR pmh, UINT cbmh);
MMRESULT WINAPI MidiOutUnprepareHeader(HMIDIOUT hmo, LPMIDIHDR pmh, UINT cbmh);
MMRESULT WINAPI MidiOutLongMsg(HMIDIOUT hmo, LPMIDIHDR pmh, UINT cbmh);
MMRESULT WINAPI MidiOutReset(HMIDIOUT hmo);
MMRESULT WINAPI MidiOutGetErrorTextA(MMRESULT mmrError, LPSTR pszText, UINT cchText);

}  // namespace kt73b::winmm::mux
