// midiIn* of the layer: device lists from the catalog, handles from MidiInDevice.
#include <cstring>

#include "platform/winmm/device_catalog.h"
#include "platform/winmm/handle_table.h"
#include "platform/winmm/midi_in_device.h"
#include "platform/winmm/mmsystem_api.h"

namespace kt73b::winmm {
namespace {

// Never destroyed: a callback thread may still use a handle while statics go away at exit.
HandleTable<HMIDIIN, MidiInDevice>& Handles() {
    static auto* table = new HandleTable<HMIDIIN, MidiInDevice>;
    return *table;
}

template <typename Operation>
MMRESULT WithDevice(HMIDIIN handle, Operation operation) {
    const auto device = Handles().Find(handle);
    return device == nullptr ? MMSYSERR_INVALHANDLE : operation(*device);
}

}  // namespace
}  // namespace kt73b::winmm

using kt73b::winmm::Direction;
using kt73b::winmm::MidiInDevice;
using kt73b::winmm::WithDevice;

extern "C" {

UINT midiInGetNumDevs() {
    return kt73b::winmm::RefreshDevices(Direction::kInput);
}

MMRESULT midiInGetDevCapsA(UINT_PTR uDeviceID, LPMIDIINCAPSA pmic, UINT cbmic) {
    if (pmic == nullptr || cbmic < sizeof(MIDIINCAPSA)) {
        return MMSYSERR_INVALPARAM;
    }
    kt73b::winmm::CatalogEntry entry;
    if (uDeviceID > UINT_PTR{0xFFFFFFFFu} ||
        !kt73b::winmm::FindDevice(Direction::kInput, static_cast<UINT>(uDeviceID), &entry)) {
        return MMSYSERR_BADDEVICEID;
    }
    *pmic = MIDIINCAPSA{};
    std::memcpy(pmic->szPname, entry.name.c_str(), entry.name.size() + 1);
    return MMSYSERR_NOERROR;
}

MMRESULT midiInOpen(LPHMIDIIN phmi, UINT uDeviceID, DWORD_PTR dwCallback, DWORD_PTR dwInstance,
                    DWORD fdwOpen) {
    if (phmi == nullptr) {
        return MMSYSERR_INVALPARAM;
    }
    *phmi = nullptr;
    if (fdwOpen != CALLBACK_NULL && fdwOpen != CALLBACK_FUNCTION) {
        return MMSYSERR_INVALFLAG;
    }
    kt73b::winmm::CatalogEntry entry;
    if (!kt73b::winmm::FindDevice(Direction::kInput, uDeviceID, &entry)) {
        return MMSYSERR_BADDEVICEID;
    }
    auto& handles = kt73b::winmm::Handles();
    const HMIDIIN handle = handles.NewHandle();
    auto device = std::make_shared<MidiInDevice>(
        handle, fdwOpen == CALLBACK_FUNCTION ? dwCallback : 0, dwInstance);
    // Known before the device opens, so that a callback for MIM_OPEN may use the handle.
    handles.Insert(handle, device);
    const MMRESULT result = device->Open(*entry.provider, entry.key);
    if (result != MMSYSERR_NOERROR) {
        handles.Remove(handle);
        return result;
    }
    *phmi = handle;
    return MMSYSERR_NOERROR;
}

MMRESULT midiInClose(HMIDIIN hmi) {
    const MMRESULT result = WithDevice(hmi, [](MidiInDevice& device) { return device.Close(); });
    if (result == MMSYSERR_NOERROR) {
        kt73b::winmm::Handles().Remove(hmi);
    }
    return result;
}

MMRESULT midiInPrepareHeader(HMIDIIN hmi, LPMIDIHDR pmh, UINT cbmh) {
    return WithDevice(hmi, [&](MidiInDevice& device) { return device.Prepare(pmh, cbmh); });
}

MMRESULT midiInUnprepareHeader(HMIDIIN hmi, LPMIDIHDR pmh, UINT cbmh) {
    return WithDevice(hmi, [&](MidiInDevice& device) { return device.Unprepare(pmh, cbmh); });
}

MMRESULT midiInAddBuffer(HMIDIIN hmi, LPMIDIHDR pmh, UINT cbmh) {
    return WithDevice(hmi, [&](MidiInDevice& device) { return device.AddBuffer(pmh, cbmh); });
}

MMRESULT midiInStart(HMIDIIN hmi) {
    return WithDevice(hmi, [](MidiInDevice& device) { return device.Start(); });
}

MMRESULT midiInStop(HMIDIIN hmi) {
    return WithDevice(hmi, [](MidiInDevice& device) { return device.Stop(); });
}

MMRESULT midiInReset(HMIDIIN hmi) {
    return WithDevice(hmi, [](MidiInDevice& device) { return device.Reset(); });
}

}  // extern "C"
