// The system's own MIDI functions, taken from winmm.dll when first needed. A program whose
// import slots lead to the layer reaches the system's devices through this table.
#pragma once

#include "platform/winmm/mmsystem_api.h"

namespace kt73b::winmm {

struct SystemWinmm {
    decltype(&::midiInGetNumDevs) midiInGetNumDevs = nullptr;
    decltype(&::midiInGetDevCapsA) midiInGetDevCapsA = nullptr;
    decltype(&::midiInOpen) midiInOpen = nullptr;
    decltype(&::midiInClose) midiInClose = nullptr;
    decltype(&::midiInPrepareHeader) midiInPrepareHeader = nullptr;
    decltype(&::midiInUnprepareHeader) midiInUnprepareHeader = nullptr;
    decltype(&::midiInAddBuffer) midiInAddBuffer = nullptr;
    decltype(&::midiInStart) midiInStart = nullptr;
    decltype(&::midiInStop) midiInStop = nullptr;
    decltype(&::midiInReset) midiInReset = nullptr;
    decltype(&::midiInGetErrorTextA) midiInGetErrorTextA = nullptr;
    decltype(&::midiOutGetNumDevs) midiOutGetNumDevs = nullptr;
    decltype(&::midiOutGetDevCapsA) midiOutGetDevCapsA = nullptr;
    decltype(&::midiOutOpen) midiOutOpen = nullptr;
    decltype(&::midiOutClose) midiOutClose = nullptr;
    decltype(&::midiOutPrepareHeader) midiOutPrepareHeader = nullptr;
    decltype(&::midiOutUnprepareHeader) midiOutUnprepareHeader = nullptr;
    decltype(&::midiOutLongMsg) midiOutLongMsg = nullptr;
    decltype(&::midiOutReset) midiOutReset = nullptr;
    decltype(&::midiOutGetErrorTextA) midiOutGetErrorTextA = nullptr;

    // True when every function was found.
    bool complete = false;
};

// Loaded once; a table that is not complete stands for a system without MIDI.
const SystemWinmm& System();

}  // namespace kt73b::winmm
