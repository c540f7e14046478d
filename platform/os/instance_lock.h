// A lock named after an instance of the updater, held until the process ends (a crash included),
// so that copies started side by side number themselves 1 to 20 without a coordinator.
#pragma once

#include <string>

namespace kt73b::os {

class InstanceLock {
  public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock called `name` for this process. False when another process holds it or it
    // cannot be made; two processes trying at once cannot both succeed.
    bool TryClaim(const std::string& name);

    // Gives the lock up before the process ends; tests use it, the updater never does.
    void Release();

  private:
    void* handle_ = nullptr;  // a HANDLE on Windows, an open descriptor (stored + 1) elsewhere
};

}  // namespace kt73b::os
