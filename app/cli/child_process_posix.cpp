#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <thread>

#include "app/cli/child_process.h"

namespace kt73b::cli {

struct ChildProcess::Handle {
    pid_t pid = -1;
    int output = -1;  // the pipe's reading end, -1 once it has ended
    std::optional<int> status;
};

namespace {

// In the child between fork and exec: only async-signal-safe calls. `output` is the pipe's
// writing end, or -1 when both streams go to `file` (opened here, after the fork).
[[noreturn]] void BecomeChild(const std::vector<char*>& argv, int output, const char* file,
                              pid_t parent) {
    // Ended as by a request to terminate when --all ends, even by SIGKILL.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) {
        _exit(127);
    }
    // --all blocks the stop signals for its own waiting thread; the copy makes its own.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    if (output >= 0) {
        dup2(output, STDOUT_FILENO);
        dup2(open("/dev/null", O_WRONLY), STDERR_FILENO);
    } else {
        dup2(open("/dev/null", O_RDONLY), STDIN_FILENO);
        dup2(open(file, O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
        dup2(STDOUT_FILENO, STDERR_FILENO);
    }
    execv(argv[0], argv.data());
    _exit(127);
}

}  // namespace

ChildProcess::ChildProcess(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}

std::unique_ptr<ChildProcess> ChildProcess::Start(const std::vector<std::string>& argv,
                                                  const std::string& outputFile) {
    // Looked up here: the child may only make async-signal-safe calls.
    const std::string program =
        argv.at(0).find('/') == std::string::npos ? FindOnPath(argv[0]) : argv[0];
    std::vector<char*> args{const_cast<char*>(program.c_str())};
    for (std::size_t i = 1; i < argv.size(); ++i) {
        args.push_back(const_cast<char*>(argv[i].c_str()));
    }
    args.push_back(nullptr);
    int fds[2] = {-1, -1};
    if (outputFile.empty()) {
        if (pipe2(fds, O_CLOEXEC) != 0) {
            return nullptr;
        }
        fcntl(fds[0], F_SETFL, O_NONBLOCK);  // read only what has come: one loop serves them all
    }
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        BecomeChild(args, fds[1], outputFile.c_str(), parent);
    }
    if (fds[1] >= 0) {
        close(fds[1]);
    }
    if (pid < 0) {
        if (fds[0] >= 0) {
            close(fds[0]);
        }
        return nullptr;
    }
    auto handle = std::make_unique<Handle>();
    handle->pid = pid;
    handle->output = fds[0];
    return std::unique_ptr<ChildProcess>(new ChildProcess(std::move(handle)));
}

ChildProcess::~ChildProcess() {
    if (!handle_->status) {
        Interrupt();
        Wait();
    }
    if (handle_->output >= 0) {
        close(handle_->output);
    }
}

bool ChildProcess::ReadAvailable() {
    if (handle_->output < 0) {
        return false;
    }
    // All that has come, so that a copy never waits on a full pipe.
    char buffer[4096];
    ssize_t got;
    while ((got = read(handle_->output, buffer, sizeof buffer)) > 0) {
        pending_.append(buffer, static_cast<std::size_t>(got));
    }
    if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN)) {
        close(handle_->output);
        handle_->output = -1;
        return false;
    }
    return true;
}

void ChildProcess::Interrupt() {
    if (!handle_->status) {
        kill(handle_->pid, SIGINT);
    }
}

void ChildProcess::Stop() {
    if (!handle_->status) {
        kill(handle_->pid, SIGTERM);
    }
    if (!WaitForExit(std::chrono::seconds(5))) {
        kill(handle_->pid, SIGKILL);
        Wait();
    }
}

int ChildProcess::Wait() {
    if (!handle_->status) {
        int status = 0;
        while (waitpid(handle_->pid, &status, 0) < 0 && errno == EINTR) {
        }
        handle_->status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return *handle_->status;
}

// Polled: a child's end cannot be waited for with a bound otherwise, short of a signal handler.
std::optional<int> ChildProcess::WaitForExit(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (!handle_->status) {
        if (waitpid(handle_->pid, &status, WNOHANG) == handle_->pid) {
            handle_->status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        } else if (std::chrono::steady_clock::now() >= deadline) {
            break;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    return handle_->status;
}

void WaitForOutput(const std::vector<ChildProcess*>& children, std::chrono::milliseconds limit) {
    std::vector<pollfd> fds;
    for (ChildProcess* child : children) {
        fds.push_back({child->handle_->output, POLLIN, 0});
    }
    poll(fds.data(), fds.size(), static_cast<int>(limit.count()));
}

std::string OwnProgramPath(const char* argv0) {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : argv0;
}

std::string FindOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path == nullptr ? "/usr/bin:/bin" : path);
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::string candidate = folder + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

}  // namespace kt73b::cli
