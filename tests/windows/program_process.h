// A program of ours started as a user or a script starts it, in a folder of the test's choosing,
// its standard output and error kept in a file; ended by force if the test leaves it running.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tests/windows/window_probe.h"

namespace kt73b::testing {

class ProgramProcess {
  public:
    // `program` is a path of the build machine: Wine maps it onto the drive of the current folder.
    ProgramProcess(const std::string& program, const std::string& arguments,
                   const std::string& folder = "");
    ~ProgramProcess();
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    bool Started() const { return process_ != nullptr; }
    std::vector<HWND> Windows() const { return TopLevelWindows(processId_); }
    // The updater's main dialog once it shows with its title set; null if it did not come.
    HWND WaitForMainWindow() const;
    // The exit code once the process has ended, or nothing if it still runs after the wait.
    std::optional<DWORD> WaitForExit(std::chrono::milliseconds timeout = kWindowWait) const;
    // What it has written so far, standard output and error in the order written.
    std::string Output() const;

  private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    std::string outputFile_;
};

}  // namespace kt73b::testing
