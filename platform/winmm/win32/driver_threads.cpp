// Wine's ALSA MIDI driver (winealsa.drv) keeps a thread waiting inside its Unix side from the
// driver's load until its DRV_FREE, which winmm sends only after ExitProcess has killed every
// other thread. Killed inside that wait, the thread faults on some Linux kernels (User-Mode Linux
// among them) and the process ends by SIGSEGV instead of with its own status. The driver's own
// release wakes the thread and lets it end first. Windows has no such module: nothing happens.
#include "platform/winmm/driver_threads.h"

#include "platform/ui/win32/windows_api.h"
#include "platform/winmm/mmsystem_api.h"
// <windows.h> must come first.
#include <tlhelp32.h>

namespace kt73b::winmm {

namespace {

using DriverProc = LRESULT(CALLBACK*)(DWORD_PTR, HDRVR, UINT, LPARAM, LPARAM);

// The driver keeps no handle to its thread that we could wait on: its end shows in the count of
// the process's threads.
int ProcessThreadCount() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return -1;
    }
    int count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) {
            ++count;
        }
    }
    CloseHandle(snapshot);
    return count;
}

}  // namespace

void EndDriverThreads() {
    HMODULE driver = GetModuleHandleA("winealsa.drv");
    if (driver == nullptr) {
        return;
    }
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wcast-function-type"
    const auto release = reinterpret_cast<DriverProc>(GetProcAddress(driver, "DriverProc"));
#pragma GCC diagnostic pop
    if (release == nullptr) {
        return;
    }
    const int before = ProcessThreadCount();
    release(0, nullptr, DRV_FREE, 0, 0);
    // Bounded: a driver that keeps its thread must not keep the process.
    for (int waited = 0; waited < 100 && ProcessThreadCount() >= before; ++waited) {
        Sleep(10);
    }
}

}  // namespace kt73b::winmm
