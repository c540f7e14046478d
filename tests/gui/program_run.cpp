#include "program_run.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "tests/support/child_process.h"

extern char** environ;

namespace kt73b::testing {

namespace {
constexpr auto kPollInterval = std::chrono::milliseconds(10);
}

std::unique_ptr<ProgramRun> ProgramRun::Start(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    pid_t pid = 0;
    const int result = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0)
        return nullptr;
    return std::unique_ptr<ProgramRun>(new ProgramRun(pid));
}

ProgramRun::~ProgramRun() {
    if (!status_.has_value()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

std::optional<int> ProgramRun::WaitForExit(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!status_.has_value()) {
        int raw = 0;
        if (waitpid(pid_, &raw, WNOHANG) == pid_) {
            status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(kPollInterval);
    }
    return status_;
}

std::optional<int> RunToEnd(const std::vector<std::string>& argv,
                            std::chrono::milliseconds timeout) {
    auto run = ProgramRun::Start(argv);
    return run != nullptr ? run->WaitForExit(timeout) : std::nullopt;
}

std::string OutputOf(const std::vector<std::string>& argv) {
    std::vector<std::string> resolved = argv;
    if (resolved[0].find('/') == std::string::npos)
        resolved[0] = FindOnPath(resolved[0]);
    auto child = ChildProcess::Spawn(resolved, false);
    return child != nullptr ? child->ReadLine(std::chrono::seconds(30)) : "";
}

}  // namespace kt73b::testing
