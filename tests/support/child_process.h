// A program started by a test (a JACK server, a test peer), with its standard output on a pipe;
// ended and reaped when the object goes.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace kt73b::testing {

class ChildProcess {
  public:
    // Null when the program could not be started. `quiet` sends its output to /dev/null.
    static std::unique_ptr<ChildProcess> Spawn(const std::vector<std::string>& argv, bool quiet);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line of its output, without the newline; empty on time-out or end of output.
    std::string ReadLine(std::chrono::milliseconds timeout);
    bool Running();
    // SIGTERM, then SIGKILL if it has not ended within `grace`.
    void Stop(std::chrono::milliseconds grace = std::chrono::seconds(5));

  private:
    ChildProcess(pid_t pid, int output) : pid_(pid), output_(output) {}

    pid_t pid_;
    int output_;
    bool reaped_ = false;
    std::string pending_;
};

// The first directory of PATH that holds `program`, joined to it; empty when none does.
std::string FindOnPath(const std::string& program);

}  // namespace kt73b::testing
