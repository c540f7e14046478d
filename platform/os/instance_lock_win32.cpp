// Named mutexes in the session's Local namespace: CreateMutexA with initial ownership; a name
// that already exists belongs to the copy that created it.
#include <windows.h>

#include <string>

#include "platform/os/instance_lock.h"

namespace kt73b::os {

InstanceLock::~InstanceLock() {
    // The mutex stays held for the life of the process; the system releases it at exit.
}

bool InstanceLock::TryClaim(const std::string& name) {
    HANDLE mutex = CreateMutexA(nullptr, TRUE, name.c_str());
    if (mutex != nullptr && GetLastError() != ERROR_ALREADY_EXISTS) {
        handle_ = mutex;
        return true;
    }
    if (mutex != nullptr) {
        CloseHandle(mutex);
    }
    return false;
}

void InstanceLock::Release() {
    if (handle_ != nullptr) {
        ReleaseMutex(static_cast<HANDLE>(handle_));
        CloseHandle(static_cast<HANDLE>(handle_));
        handle_ = nullptr;
    }
}

}  // namespace kt73b::os
