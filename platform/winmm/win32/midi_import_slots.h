// winmm's MIDI functions, as a list for the files that fill their import slots. Code built
// against <mmsystem.h> calls each through a slot (__imp_midiInOpen, ...) that the linker
// otherwise fills from winmm.dll; a program that defines the slots itself decides where each
// call goes, and the same objects run unchanged.
#pragma once

#include "platform/winmm/mmsystem_api.h"

#define KT73B_WINMM_MIDI_FUNCTIONS(SLOT)                 \
    SLOT(midiInGetNumDevs, MidiInGetNumDevs)             \
    SLOT(midiInGetDevCapsA, MidiInGetDevCapsA)           \
    SLOT(midiInOpen, MidiInOpen)                         \
    SLOT(midiInClose, MidiInClose)                       \
    SLOT(midiInPrepareHeader, MidiInPrepareHeader)       \
    SLOT(midiInUnprepareHeader, MidiInUnprepareHeader)   \
    SLOT(midiInAddBuffer, MidiInAddBuffer)               \
    SLOT(midiInStart, MidiInStart)                       \
    SLOT(midiInStop, MidiInStop)                         \
    SLOT(midiInReset, MidiInReset)                       \
    SLOT(midiInGetErrorTextA, MidiInGetErrorTextA)       \
    SLOT(midiOutGetNumDevs, MidiOutGetNumDevs)           \
    SLOT(midiOutGetDevCapsA, MidiOutGetDevCapsA)         \
    SLOT(midiOutOpen, MidiOutOpen)                       \
    SLOT(midiOutClose, MidiOutClose)                     \
    SLOT(midiOutPrepareHeader, MidiOutPrepareHeader)     \
    SLOT(midiOutUnprepareHeader, MidiOutUnprepareHeader) \
    SLOT(midiOutLongMsg, MidiOutLongMsg)                 \
    SLOT(midiOutReset, MidiOutReset)                     \
    SLOT(midiOutGetErrorTextA, MidiOutGetErrorTextA)

// Defines the import slot of `function` holding `target`.
#define KT73B_IMPORT_SLOT(function, target)                  \
    extern "C" decltype(&::function) const __imp_##function; \
    decltype(&::function) const __imp_##function = &target;
