// How both ports hand a device's name to their owner: the szPname of the platform's device
// capabilities, copied into the owner's buffer as a terminated string.
#pragma once

#include <cstddef>

#include "platform/winmm/mmsystem_api.h"

namespace kt73b {

// The least a destination of GetDeviceName holds.
inline constexpr std::size_t kDeviceNameBytes = 40;

// The size argument every midiIn and midiOut call gets with a header.
inline constexpr UINT kMidiHdrBytes = sizeof(MIDIHDR);

// Copies a capabilities name (MAXPNAMELEN bytes, terminated or not) into `destination`
// (kDeviceNameBytes bytes), always terminated; null `capabilities_name` yields "".
void CopyDeviceName(const char* capabilities_name, char* destination);

}  // namespace kt73b
