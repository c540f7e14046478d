// The layer's devices are emulated when the in-process loopback provides them.
#include "platform/winmm/emulated_devices.h"

#include "platform/winmm/device_catalog.h"
#include "platform/winmm/loopback/loopback_provider.h"

namespace kt73b::winmm {

namespace {

bool IsLoopbackDevice(Direction direction, UINT index) {
    CatalogEntry entry;
    return FindDevice(direction, index, &entry) &&
           dynamic_cast<LoopbackProvider*>(entry.provider) != nullptr;
}

}  // namespace

bool IsEmulatedMidiIn(UINT index) {
    return IsLoopbackDevice(Direction::kInput, index);
}

bool IsEmulatedMidiOut(UINT index) {
    return IsLoopbackDevice(Direction::kOutput, index);
}

}  // namespace kt73b::winmm
