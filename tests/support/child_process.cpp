#include "tests/support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "tests/support/wait_until.h"

extern char** environ;

namespace kt73b::testing {

std::unique_ptr<ChildProcess> ChildProcess::Spawn(const std::vector<std::string>& argv,
                                                  bool quiet) {
    return Start(argv, quiet ? "/dev/null" : "");
}

// An empty `output_file` stands for the pipe.
std::unique_ptr<ChildProcess> ChildProcess::Start(const std::vector<std::string>& argv,
                                                  const std::string& output_file) {
    int pipe_fds[2] = {-1, -1};
    if (output_file.empty() && pipe2(pipe_fds, O_CLOEXEC) != 0) {
        return nullptr;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (output_file.empty()) {
        posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output_file.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    }
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    // setpriv makes the program end with this process, even when a test crashes or is killed,
    // so that no server outlives its run (it follows the thread that starts it: the main one).
    std::vector<std::string> command;
    const std::string setpriv = FindOnPath("setpriv");
    if (!setpriv.empty()) {
        command = {setpriv, "--pdeathsig", "TERM", "--"};
    }
    command.insert(command.end(), argv.begin(), argv.end());
    std::vector<char*> args;
    for (const auto& arg : command) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    pid_t pid = 0;
    const int result = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (pipe_fds[1] >= 0) {
        close(pipe_fds[1]);
    }
    if (result != 0) {
        if (pipe_fds[0] >= 0) {
            close(pipe_fds[0]);
        }
        return nullptr;
    }
    return std::unique_ptr<ChildProcess>(new ChildProcess(pid, pipe_fds[0]));
}

ChildProcess::~ChildProcess() {
    Stop();
    if (output_ >= 0) {
        close(output_);
    }
}

std::string ChildProcess::ReadLine(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto newline = pending_.find('\n');
        if (newline != std::string::npos) {
            std::string line = pending_.substr(0, newline);
            pending_.erase(0, newline + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (output_ < 0 || left.count() <= 0) {
            return {};
        }
        pollfd fd{output_, POLLIN, 0};
        if (poll(&fd, 1, static_cast<int>(left.count())) <= 0) {
            return {};
        }
        char chunk[256];
        const ssize_t count = read(output_, chunk, sizeof(chunk));
        if (count <= 0) {
            return {};
        }
        pending_.append(chunk, static_cast<std::size_t>(count));
    }
}

bool ChildProcess::Running() {
    int status = 0;
    if (!exit_status_ && waitpid(pid_, &status, WNOHANG) == pid_) {
        exit_status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return !exit_status_;
}

void ChildProcess::Signal(int signal) {
    if (Running()) {
        kill(pid_, signal);
    }
}

std::optional<int> ChildProcess::WaitForExit(std::chrono::milliseconds limit) {
    WaitUntil([this] { return !Running(); }, limit);
    return exit_status_;
}

void ChildProcess::Stop() {
    Signal(SIGTERM);
    if (!WaitForExit(std::chrono::seconds(5))) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        exit_status_ = -1;
    }
}

std::string FindOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::stringstream directories(path == nullptr ? "/usr/bin:/bin" : path);
    std::string directory;
    while (std::getline(directories, directory, ':')) {
        const std::string candidate = directory + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

}  // namespace kt73b::testing
