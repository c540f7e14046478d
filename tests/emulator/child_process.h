// Programs a test starts and must end: the JACK server and the emulator program.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kt73b::emu::testing {

class ChildProcess {
  public:
    // Starts `args[0]` (looked up in PATH) with stdout and stderr going to `outputFile`.
    static std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& args,
                                               const std::string& outputFile);
    // Kills the process if it is still running, and reaps it.
    ~ChildProcess();

    void Signal(int signal) const;
    // The exit status once the process has ended, or empty when it runs on past `limit`
    // (-1 when it was killed by a signal).
    std::optional<int> WaitForExit(std::chrono::milliseconds limit);
    bool Running();

  private:
    explicit ChildProcess(pid_t pid) : pid_(pid) {}

    pid_t pid_;
    bool reaped_ = false;
    std::optional<int> exitStatus_;
};

// The whole content of a file, for failure messages and checks on a program's output.
std::string ReadFile(const std::string& path);

// A folder of its own under the system's temporary folder, removed with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

}  // namespace kt73b::emu::testing
