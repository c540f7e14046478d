// Test programs: every MIDI call goes to the layer, whose only devices are the in-process ones.
#include "platform/winmm/win32/midi_import_slots.h"

#define KT73B_LAYER_SLOT(function, muxName) KT73B_IMPORT_SLOT(function, ::function)
KT73B_WINMM_MIDI_FUNCTIONS(KT73B_LAYER_SLOT)

// The layer's only provider here is the in-process loopback: every device is emulated.
#include "platform/winmm/emulated_devices.h"

namespace kt73b::winmm {

bool IsEmulatedMidiIn(UINT) {
    return true;
}

bool IsEmulatedMidiOut(UINT) {
    return true;
}

}  // namespace kt73b::winmm
