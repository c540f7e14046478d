// Another program run by a GUI test: xdotool and import to act and look as a person would, and
// the dialog programs themselves. Its exit status is kept.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kt73b::testing {

class ProgramRun {
  public:
    // Null when it could not be started. Output goes to this process's, so a failure shows it.
    static std::unique_ptr<ProgramRun> Start(const std::vector<std::string>& argv);
    ~ProgramRun();  // kills it if it still runs
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    // The exit status once it has ended within `timeout`; -1 for a program ended by a signal.
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout);

  private:
    explicit ProgramRun(pid_t pid) : pid_(pid) {}

    pid_t pid_;
    std::optional<int> status_;
};

// Runs `argv` to its end; its exit status, or nothing when it did not start or end in time.
std::optional<int> RunToEnd(const std::vector<std::string>& argv,
                            std::chrono::milliseconds timeout = std::chrono::seconds(30));

// Runs `argv` and returns the first line it prints (without the newline), or "" after 30 s.
std::string OutputOf(const std::vector<std::string>& argv);

}  // namespace kt73b::testing
