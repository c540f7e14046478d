// Programs with both kinds of device: every MIDI call goes to the mux, which sends it on to the
// system or to the layer.
#include "platform/winmm/win32/midi_import_slots.h"
#include "platform/winmm/win32/winmm_mux.h"

#define KT73B_MUX_SLOT(function, muxName) KT73B_IMPORT_SLOT(function, kt73b::winmm::mux::muxName)
KT73B_WINMM_MIDI_FUNCTIONS(KT73B_MUX_SLOT)
