// A copy of this program that --all starts for one device: its standard output on a pipe this
// process reads line by line, its standard error discarded (its events carry what it says). It
// gets the stop signals again, and a stop when this process ends, so none outlives --all.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace kt73b::cli {

class ChildProcess {
  public:
    // Null when it could not be started.
    static std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& argv);
    // Waits for it to end; a child still running was stopped first (Interrupt).
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The whole lines that have come since the last call; false once its output has ended (the
    // lines then include an unfinished last one).
    bool TakeLines(std::vector<std::string>& lines);
    // Asks it to stop as Ctrl-C would: it ends its update at its next wait.
    void Interrupt();
    // Its exit status, waiting for it to end; -1 when a signal ended it.
    int Wait();

  private:
    struct Handle;
    friend void WaitForOutput(const std::vector<ChildProcess*>& children,
                              std::chrono::milliseconds limit);

    explicit ChildProcess(std::unique_ptr<Handle> handle);
    std::unique_ptr<Handle> handle_;
    std::string pending_;
};

// Waits up to `limit` for output (or the end) of any of `children`.
void WaitForOutput(const std::vector<ChildProcess*>& children, std::chrono::milliseconds limit);

// This program's own file, to start copies of.
std::string OwnProgramPath(const char* argv0);

}  // namespace kt73b::cli
