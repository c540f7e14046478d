// Updater.exe started as a user starts it, in a folder of the test's choosing; ended by force if
// a test leaves it running.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tests/windows/window_probe.h"

namespace kt73b::testing {

class UpdaterProcess {
  public:
    UpdaterProcess(const std::string& program, const std::string& folder);
    ~UpdaterProcess();
    UpdaterProcess(const UpdaterProcess&) = delete;
    UpdaterProcess& operator=(const UpdaterProcess&) = delete;

    bool Started() const { return process_ != nullptr; }
    std::vector<HWND> Windows() const { return TopLevelWindowsOfProcess(processId_); }
    // The main dialog once it shows with its title set; null if it did not come.
    HWND WaitForMainWindow() const;
    // The exit code once the process has ended, or nothing if it still runs after the wait.
    std::optional<DWORD> WaitForExit(std::chrono::milliseconds timeout = kWindowWait) const;

  private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
};

// A named mutex held by this process, as another copy holds its instance number.
class HeldMutex {
  public:
    explicit HeldMutex(const std::string& name)
        : handle_(CreateMutexA(nullptr, TRUE, name.c_str())) {}
    ~HeldMutex() {
        if (handle_ != nullptr) {
            ReleaseMutex(handle_);
            CloseHandle(handle_);
        }
    }
    HeldMutex(const HeldMutex&) = delete;
    HeldMutex& operator=(const HeldMutex&) = delete;
    bool Held() const { return handle_ != nullptr; }

  private:
    HANDLE handle_;
};

}  // namespace kt73b::testing
