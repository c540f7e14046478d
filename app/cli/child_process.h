// A program this process starts: a copy of this program that --all runs for one device, or,
// for the tests, a server or a program under test. Its standard output comes on a pipe this
// process reads, its standard error discarded (a copy's events carry what it says); or both go
// to a file. It gets the stop signals again, and a stop when this process ends, so none outlives
// its starter.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kt73b::cli {

class ChildProcess {
  public:
    // Null when it could not be started. A program named without a folder is looked for on
    // PATH. With `outputFile`, its standard output and standard error go there, not to the
    // pipe, and its standard input is empty.
    static std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& argv,
                                               const std::string& outputFile = {});
    // Waits for it to end; a child still running was stopped first (Interrupt).
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The whole lines that have come since the last call; false once its output has ended (the
    // lines then include an unfinished last one).
    bool TakeLines(std::vector<std::string>& lines);
    // The next line, waiting up to `limit` for it; empty when none came.
    std::string ReadLine(std::chrono::milliseconds limit);
    // Asks it to stop as Ctrl-C would: it ends its update at its next wait.
    void Interrupt();
    // Asks it to terminate, and kills it when it has not ended within five seconds.
    void Stop();
    // Its exit status, waiting for it to end; -1 when a signal ended it.
    int Wait();
    // The same, or empty while it runs on past `limit`.
    std::optional<int> WaitForExit(std::chrono::milliseconds limit);
    bool Running() { return !WaitForExit(std::chrono::milliseconds(0)); }

  private:
    struct Handle;
    friend void WaitForOutput(const std::vector<ChildProcess*>& children,
                              std::chrono::milliseconds limit);

    explicit ChildProcess(std::unique_ptr<Handle> handle);
    // Appends what has come on the pipe to pending_; false once the output has ended.
    bool ReadAvailable();

    std::unique_ptr<Handle> handle_;
    std::string pending_;
};

// Waits up to `limit` for output (or the end) of any of `children`.
void WaitForOutput(const std::vector<ChildProcess*>& children, std::chrono::milliseconds limit);

// This program's own file, to start copies of.
std::string OwnProgramPath(const char* argv0);

// The first folder of PATH that holds `program`, joined to it; empty when none does.
std::string FindOnPath(const std::string& program);

}  // namespace kt73b::cli
