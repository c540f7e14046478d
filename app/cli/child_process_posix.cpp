#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <optional>

#include "app/cli/child_process.h"

namespace kt73b::cli {

struct ChildProcess::Handle {
    pid_t pid = -1;
    int output = -1;  // the pipe's reading end, -1 once it has ended
    std::optional<int> status;
};

namespace {

// In the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void BecomeChild(const std::vector<char*>& argv, int output, pid_t parent) {
    // Ended as by a request to terminate when --all ends, even by SIGKILL.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) {
        _exit(127);
    }
    // --all blocks the stop signals for its own waiting thread; the copy makes its own.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    dup2(output, STDOUT_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDERR_FILENO);
    execv(argv[0], argv.data());
    _exit(127);
}

}  // namespace

ChildProcess::ChildProcess(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}

std::unique_ptr<ChildProcess> ChildProcess::Start(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        return nullptr;
    }
    fcntl(fds[0], F_SETFL, O_NONBLOCK);  // read only what has come: one loop serves them all
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        BecomeChild(args, fds[1], parent);
    }
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
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

bool ChildProcess::TakeLines(std::vector<std::string>& lines) {
    if (handle_->output < 0) {
        return false;
    }
    // All that has come, so that a copy never waits on a full pipe.
    char buffer[4096];
    ssize_t got;
    while ((got = read(handle_->output, buffer, sizeof buffer)) > 0) {
        pending_.append(buffer, static_cast<std::size_t>(got));
    }
    std::size_t start = 0;
    for (std::size_t end; (end = pending_.find('\n', start)) != std::string::npos;
         start = end + 1) {
        lines.push_back(pending_.substr(start, end - start));
    }
    pending_.erase(0, start);
    if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN)) {
        if (!pending_.empty()) {
            lines.push_back(std::move(pending_));
            pending_.clear();
        }
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

int ChildProcess::Wait() {
    if (!handle_->status) {
        int status = 0;
        while (waitpid(handle_->pid, &status, 0) < 0 && errno == EINTR) {
        }
        handle_->status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return *handle_->status;
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

}  // namespace kt73b::cli
