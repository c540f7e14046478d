// midiIn* of the mux. The layer calls an input's callback with its own handle; the mux puts
// itself in between, so the program's callback gets the tagged handle it was given.
#include <map>
#include <memory>
#include <mutex>

#include "platform/winmm/emulated_devices.h"
#include "platform/winmm/win32/mux_routing.h"
#include "platform/winmm/win32/winmm_mux.h"

namespace kt73b::winmm::mux {

namespace {

struct InputRoute {
    DWORD_PTR callback;
    DWORD_PTR instance;
};

using InputCallback = void(CALLBACK*)(HMIDIIN, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR);

struct InputRoutes {
    std::mutex mutex;
    std::map<HMIDIIN, std::unique_ptr<InputRoute>> byHandle;  // under mutex, by tagged handle
};

// Never destroyed: an input may still be closed while statics go away at exit.
InputRoutes& Routes() {
    static auto* routes = new InputRoutes;
    return *routes;
}

SystemDeviceCount& SystemInputs() {
    static SystemDeviceCount count(&SystemWinmm::midiInGetNumDevs);
    return count;
}

void CALLBACK RouteInput(HMIDIIN layerHandle, UINT message, DWORD_PTR instance, DWORD_PTR param1,
                         DWORD_PTR param2) {
    const auto* route = reinterpret_cast<const InputRoute*>(instance);
    reinterpret_cast<InputCallback>(route->callback)(Tagged(layerHandle), message, route->instance,
                                                     param1, param2);
}

MMRESULT OpenLayerInput(LPHMIDIIN phmi, UINT index, DWORD_PTR callback, DWORD_PTR instance,
                        DWORD flags) {
    if (flags != CALLBACK_FUNCTION) {
        const MMRESULT result = ::midiInOpen(phmi, index, callback, instance, flags);
        if (result == MMSYSERR_NOERROR) {
            *phmi = Tagged(*phmi);
        }
        return result;
    }
    auto route = std::make_unique<InputRoute>(InputRoute{callback, instance});
    HMIDIIN layerHandle = nullptr;
    const MMRESULT result =
        ::midiInOpen(&layerHandle, index, reinterpret_cast<DWORD_PTR>(&RouteInput),
                     reinterpret_cast<DWORD_PTR>(route.get()), flags);
    if (result != MMSYSERR_NOERROR) {
        return result;
    }
    *phmi = Tagged(layerHandle);
    std::lock_guard lock(Routes().mutex);
    Routes().byHandle[*phmi] = std::move(route);
    return result;
}

}  // namespace

UINT WINAPI MidiInGetNumDevs() {
    return SystemInputs().Refresh() + ::midiInGetNumDevs();
}

MMRESULT WINAPI MidiInGetDevCapsA(UINT_PTR uDeviceID, LPMIDIINCAPSA pmic, UINT cbmic) {
    const UINT system = SystemInputs().Last();
    if (uDeviceID < system) {
        return System().midiInGetDevCapsA(uDeviceID, pmic, cbmic);
    }
    return ::midiInGetDevCapsA(uDeviceID - system, pmic, cbmic);
}

MMRESULT WINAPI MidiInOpen(LPHMIDIIN phmi, UINT uDeviceID, DWORD_PTR dwCallback,
                           DWORD_PTR dwInstance, DWORD fdwOpen) {
    const UINT system = SystemInputs().Last();
    if (uDeviceID < system) {
        return System().midiInOpen(phmi, uDeviceID, dwCallback, dwInstance, fdwOpen);
    }
    return OpenLayerInput(phmi, uDeviceID - system, dwCallback, dwInstance, fdwOpen);
}

// The route goes once the layer has closed the input: no callback can come after that.
MMRESULT WINAPI MidiInClose(HMIDIIN hmi) {
    if (!IsLayerHandle(hmi)) {
        return CallSystem(MMSYSERR_INVALHANDLE, &SystemWinmm::midiInClose, hmi);
    }
    const MMRESULT result = ::midiInClose(Untagged(hmi));
    if (result == MMSYSERR_NOERROR) {
        std::lock_guard lock(Routes().mutex);
        Routes().byHandle.erase(hmi);
    }
    return result;
}

MMRESULT WINAPI MidiInPrepareHeader(HMIDIIN hmi, LPMIDIHDR pmh, UINT cbmh) {
    return IsLayerHandle(hmi) ? ::midiInPrepareHeader(Untagged(hmi), pmh, cbmh)
                              : CallSystem(MMSYSERR_INVALHANDLE, &SystemWinmm::midiInPrepareHeader,
                                           hmi, pmh, cbmh);
}

MMRESULT WINAPI MidiInUnprepareHeader(HMIDIIN hmi, LPMIDIHDR pmh, UINT cbmh) {
    return IsLayerHandle(hmi) ? ::midiInUnprepareHeader(Untagged(hmi), pmh, cbmh)
                              : CallSystem(MMSYSERR_INVALHANDLE,
                                           &SystemWinmm::midiInUnprepareHeader, hmi, pmh, cbmh);
}

MMRESULT WINAPI MidiInAddBuffer(HMIDIIN hmi, LPMIDIHDR pmh, UINT cbmh) {
    return IsLayerHandle(hmi)
               ? ::midiInAddBuffer(Untagged(hmi), pmh, cbmh)
               : CallSystem(MMSYSERR_INVALHANDLE, &SystemWinmm::midiInAddBuffer, hmi, pmh, cbmh);
}

MMRESULT WINAPI MidiInStart(HMIDIIN hmi) {
    return IsLayerHandle(hmi) ? ::midiInStart(Untagged(hmi))
                              : CallSystem(MMSYSERR_INVALHANDLE, &SystemWinmm::midiInStart, hmi);
}

MMRESULT WINAPI MidiInStop(HMIDIIN hmi) {
    return IsLayerHandle(hmi) ? ::midiInStop(Untagged(hmi))
                              : CallSystem(MMSYSERR_INVALHANDLE, &SystemWinmm::midiInStop, hmi);
}

MMRESULT WINAPI MidiInReset(HMIDIIN hmi) {
    return IsLayerHandle(hmi) ? ::midiInReset(Untagged(hmi))
                              : CallSystem(MMSYSERR_INVALHANDLE, &SystemWinmm::midiInReset, hmi);
}

MMRESULT WINAPI MidiInGetErrorTextA(MMRESULT mmrError, LPSTR pszText, UINT cchText) {
    const SystemWinmm& system = System();
    return system.complete ? system.midiInGetErrorTextA(mmrError, pszText, cchText)
                           : ::midiInGetErrorTextA(mmrError, pszText, cchText);
}

}  // namespace kt73b::winmm::mux

namespace kt73b::winmm {

// The layer's devices follow the system's; its only provider here is the in-process loopback.
bool IsEmulatedMidiIn(UINT index) {
    return index >= mux::SystemInputs().Last();
}

}  // namespace kt73b::winmm
