// Code built against <mmsystem.h> calls winmm's MIDI functions through import slots
// (__imp_midiInOpen, ...), which the linker otherwise fills from winmm.dll. Defining the slots
// here, pointing at the layer's functions, lets the very same objects run on the loopback in a
// test program; winmm.dll still supplies the multimedia timer.
#include "platform/winmm/mmsystem_api.h"

#define KT73B_IMPORT_SLOT(function)                        \
    extern "C" decltype(&function) const __imp_##function; \
    decltype(&function) const __imp_##function = &function

KT73B_IMPORT_SLOT(midiInGetNumDevs);
KT73B_IMPORT_SLOT(midiInGetDevCapsA);
KT73B_IMPORT_SLOT(midiInOpen);
KT73B_IMPORT_SLOT(midiInClose);
KT73B_IMPORT_SLOT(midiInPrepareHeader);
KT73B_IMPORT_SLOT(midiInUnprepareHeader);
KT73B_IMPORT_SLOT(midiInAddBuffer);
KT73B_IMPORT_SLOT(midiInStart);
KT73B_IMPORT_SLOT(midiInStop);
KT73B_IMPORT_SLOT(midiInReset);
KT73B_IMPORT_SLOT(midiInGetErrorTextA);
KT73B_IMPORT_SLOT(midiOutGetNumDevs);
KT73B_IMPORT_SLOT(midiOutGetDevCapsA);
KT73B_IMPORT_SLOT(midiOutOpen);
KT73B_IMPORT_SLOT(midiOutClose);
KT73B_IMPORT_SLOT(midiOutPrepareHeader);
KT73B_IMPORT_SLOT(midiOutUnprepareHeader);
KT73B_IMPORT_SLOT(midiOutLongMsg);
KT73B_IMPORT_SLOT(midiOutReset);
KT73B_IMPORT_SLOT(midiOutGetErrorTextA);
