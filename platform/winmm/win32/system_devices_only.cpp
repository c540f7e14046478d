// A program on the system's WinMM alone emulates no device. Programs that link the mux or the
// loopback layer define these themselves, and this object is then not taken from the archive.
#include "platform/winmm/emulated_devices.h"

namespace kt73b::winmm {

bool IsEmulatedMidiIn(UINT) {
    return false;
}

bool IsEmulatedMidiOut(UINT) {
    return false;
}

}  // namespace kt73b::winmm
