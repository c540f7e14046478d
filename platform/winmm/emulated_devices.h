// Which MIDI devices this process emulates itself (the in-process loopback): the only ones an
// updater carrying placeholder firmware may write to. A name proves nothing here: a real device
// can carry the emulated device's name.
#pragma once

#include "platform/winmm/mmsystem_api.h"

namespace kt73b::winmm {

// Device `index` as the last midiInGetNumDevs / midiOutGetNumDevs listing numbered it.
bool IsEmulatedMidiIn(UINT index);
bool IsEmulatedMidiOut(UINT index);

}  // namespace kt73b::winmm
