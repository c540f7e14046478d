// A program started by a test (a JACK server, a test peer, a program under test): its output on
// a pipe, nowhere, or in a file; ended and reaped when the object goes.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kt73b::testing {

class ChildProcess {
  public:
    // Null when the program could not be started. Its standard output goes to the pipe ReadLine
    // reads, or to /dev/null when `quiet`.
    static std::unique_ptr<ChildProcess> Spawn(const std::vector<std::string>& argv, bool quiet);
    // The same with standard output and standard error going to `output_file`.
    static std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& argv,
                                               const std::string& output_file);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line of its output, without the newline; empty on time-out or end of output.
    std::string ReadLine(std::chrono::milliseconds timeout);
    bool Running();
    void Signal(int signal);
    // Its exit status once it has ended (-1 when a signal ended it); empty while it runs on past
    // `limit`.
    std::optional<int> WaitForExit(std::chrono::milliseconds limit);
    // SIGTERM, then SIGKILL if it has not ended within five seconds.
    void Stop();

  private:
    ChildProcess(pid_t pid, int output) : pid_(pid), output_(output) {}

    pid_t pid_;
    int output_;  // the pipe's reading end, -1 without one
    std::optional<int> exit_status_;
    std::string pending_;
};

// The first directory of PATH that holds `program`, joined to it; empty when none does.
std::string FindOnPath(const std::string& program);

}  // namespace kt73b::testing
