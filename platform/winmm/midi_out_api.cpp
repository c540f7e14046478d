// midiOut* of the layer: device lists from the catalog, handles from MidiOutDevice.
#include <cstring>

#include "platform/winmm/device_catalog.h"
#include "platform/winmm/handle_table.h"
#include "platform/winmm/midi_out_device.h"
#include "platform/winmm/mmsystem_api.h"

namespace kt73b::winmm {
namespace {

// Never destroyed: a sender may still use a handle while statics go away at exit.
HandleTable<HMIDIOUT, MidiOutDevice>& Handles() {
    static auto* table = new HandleTable<HMIDIOUT, MidiOutDevice>;
    return *table;
}

template <typename Operation>
MMRESULT WithDevice(HMIDIOUT handle, Operation operation) {
    const auto device = Handles().Find(handle);
    return device == nullptr ? MMSYSERR_INVALHANDLE : operation(*device);
}

}  // namespace
}  // namespace kt73b::winmm

using kt73b::winmm::Direction;
using kt73b::winmm::MidiOutDevice;
using kt73b::winmm::WithDevice;

extern "C" {

UINT midiOutGetNumDevs() {
    return kt73b::winmm::RefreshDevices(Direction::kOutput);
}

MMRESULT midiOutGetDevCapsA(UINT_PTR uDeviceID, LPMIDIOUTCAPSA pmoc, UINT cbmoc) {
    if (pmoc == nullptr || cbmoc < sizeof(MIDIOUTCAPSA)) {
        return MMSYSERR_INVALPARAM;
    }
    kt73b::winmm::CatalogEntry entry;
    if (uDeviceID > UINT_PTR{0xFFFFFFFFu} ||
        !kt73b::winmm::FindDevice(Direction::kOutput, static_cast<UINT>(uDeviceID), &entry)) {
        return MMSYSERR_BADDEVICEID;
    }
    *pmoc = MIDIOUTCAPSA{};
    std::memcpy(pmoc->szPname, entry.name.c_str(), entry.name.size() + 1);
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutOpen(LPHMIDIOUT phmo, UINT uDeviceID, DWORD_PTR dwCallback, DWORD_PTR dwInstance,
                     DWORD fdwOpen) {
    if (phmo == nullptr) {
        return MMSYSERR_INVALPARAM;
    }
    *phmo = nullptr;
    // No callback (the sender polls MHDR_DONE) or a function; no windows, threads or events.
    const bool function = fdwOpen == CALLBACK_FUNCTION && dwCallback != 0;
    if (fdwOpen != CALLBACK_NULL && !function) {
        return MMSYSERR_INVALFLAG;
    }
    // The layer has no mapper to stand for a default output; the platform says so this way.
    if (uDeviceID == MIDI_MAPPER) {
        return MIDIERR_NODEVICE;
    }
    kt73b::winmm::CatalogEntry entry;
    if (!kt73b::winmm::FindDevice(Direction::kOutput, uDeviceID, &entry)) {
        return MMSYSERR_BADDEVICEID;
    }
    auto& handles = kt73b::winmm::Handles();
    const HMIDIOUT handle = handles.NewHandle();
    auto device = std::make_shared<MidiOutDevice>(handle, function ? dwCallback : 0, dwInstance);
    const MMRESULT result = device->Open(*entry.provider, entry.key);
    if (result != MMSYSERR_NOERROR) {
        return result;
    }
    handles.Insert(handle, std::move(device));
    *phmo = handle;
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutClose(HMIDIOUT hmo) {
    const MMRESULT result = WithDevice(hmo, [](MidiOutDevice& device) {
        device.Close();
        return MMSYSERR_NOERROR;
    });
    if (result == MMSYSERR_NOERROR) {
        kt73b::winmm::Handles().Remove(hmo);
    }
    return result;
}

MMRESULT midiOutPrepareHeader(HMIDIOUT hmo, LPMIDIHDR pmh, UINT cbmh) {
    return WithDevice(hmo, [&](MidiOutDevice& device) { return device.Prepare(pmh, cbmh); });
}

MMRESULT midiOutUnprepareHeader(HMIDIOUT hmo, LPMIDIHDR pmh, UINT cbmh) {
    return WithDevice(hmo, [&](MidiOutDevice& device) { return device.Unprepare(pmh, cbmh); });
}

MMRESULT midiOutLongMsg(HMIDIOUT hmo, LPMIDIHDR pmh, UINT cbmh) {
    return WithDevice(hmo, [&](MidiOutDevice& device) { return device.LongMsg(pmh, cbmh); });
}

// Nothing is ever pending here: each long message is with the provider when its call returns.
MMRESULT midiOutReset(HMIDIOUT hmo) {
    return WithDevice(hmo, [](MidiOutDevice&) { return MMSYSERR_NOERROR; });
}

}  // extern "C"
