#include "platform/winmm/win32/system_winmm.h"

#include "platform/ui/win32/windows_api.h"

namespace kt73b::winmm {

namespace {

template <typename Function>
bool Take(HMODULE module, const char* name, Function& function) {
    // The documented way to reach an export: its address, typed as the header declares it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wcast-function-type"
    function = reinterpret_cast<Function>(GetProcAddress(module, name));
#pragma GCC diagnostic pop
    return function != nullptr;
}

SystemWinmm Load() {
    SystemWinmm table;
    HMODULE module = LoadLibraryA("winmm.dll");  // kept for the life of the process
    if (module == nullptr) {
        return table;
    }
    table.complete = Take(module, "midiInGetNumDevs", table.midiInGetNumDevs) &&
                     Take(module, "midiInGetDevCapsA", table.midiInGetDevCapsA) &&
                     Take(module, "midiInOpen", table.midiInOpen) &&
                     Take(module, "midiInClose", table.midiInClose) &&
                     Take(module, "midiInPrepareHeader", table.midiInPrepareHeader) &&
                     Take(module, "midiInUnprepareHeader", table.midiInUnprepareHeader) &&
                     Take(module, "midiInAddBuffer", table.midiInAddBuffer) &&
                     Take(module, "midiInStart", table.midiInStart) &&
                     Take(module, "midiInStop", table.midiInStop) &&
                     Take(module, "midiInReset", table.midiInReset) &&
                     Take(module, "midiInGetErrorTextA", table.midiInGetErrorTextA) &&
                     Take(module, "midiOutGetNumDevs", table.midiOutGetNumDevs) &&
                     Take(module, "midiOutGetDevCapsA", table.midiOutGetDevCapsA) &&
                     Take(module, "midiOutOpen", table.midiOutOpen) &&
                     Take(module, "midiOutClose", table.midiOutClose) &&
                     Take(module, "midiOutPrepareHeader", table.midiOutPrepareHeader) &&
                     Take(module, "midiOutUnprepareHeader", table.midiOutUnprepareHeader) &&
                     Take(module, "midiOutLongMsg", table.midiOutLongMsg) &&
                     Take(module, "midiOutReset", table.midiOutReset) &&
                     Take(module, "midiOutGetErrorTextA", table.midiOutGetErrorTextA);
    return table;
}

}  // namespace

const SystemWinmm& System() {
    static const SystemWinmm table = Load();
    return table;
}

}  // namespace kt73b::winmm
