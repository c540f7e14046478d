#include <windows.h>

#include <algorithm>
#include <string>

#include "app/cli/child_process.h"

namespace kt73b::cli {

struct ChildProcess::Handle {
    PROCESS_INFORMATION process{};
    HANDLE output = nullptr;  // the pipe's reading end, null once it has ended
    HANDLE job = nullptr;     // ends the copy with this process, however that ends
    bool ended = false;
    int status = 0;
};

namespace {

// Quoted as the C runtime splits a command line.
std::string Quoted(const std::string& arg) {
    std::string text = "\"";
    std::size_t backslashes = 0;
    for (const char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        text.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        text += c;
    }
    text.append(backslashes * 2, '\\');
    return text + "\"";
}

HANDLE KillOnCloseJob() {
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job != nullptr) {
        SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    return job;
}

// Opened for the child to inherit; `write` for its output, else its (empty) input.
HANDLE InheritableFile(const std::string& name, bool write) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileA(name.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       write && name != "NUL" ? CREATE_ALWAYS : OPEN_EXISTING, 0, nullptr);
}

}  // namespace

ChildProcess::ChildProcess(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}

std::unique_ptr<ChildProcess> ChildProcess::Start(const std::vector<std::string>& argv,
                                                  const std::string& outputFile) {
    std::string line;
    for (const std::string& arg : argv) {
        // Appended: GCC 12 at -O3 reports a false -Wrestrict overlap in "literal" + std::string.
        if (!line.empty()) {
            line += ' ';
        }
        line += Quoted(arg);
    }
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    HANDLE input = nullptr;
    if (outputFile.empty()) {
        if (!CreatePipe(&read, &write, &inherit, 0)) {
            return nullptr;
        }
        SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    } else {
        write = InheritableFile(outputFile, true);
        input = InheritableFile("NUL", false);
    }
    HANDLE null = outputFile.empty() ? InheritableFile("NUL", true) : nullptr;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input != nullptr ? input : GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = write;
    startup.hStdError = null != nullptr ? null : write;
    auto handle = std::make_unique<Handle>();
    // A group of its own, so that a Ctrl-Break reaches this copy alone.
    const BOOL started =
        CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NEW_PROCESS_GROUP,
                       nullptr, nullptr, &startup, &handle->process);
    for (HANDLE h : {write, null, input}) {
        if (h != nullptr) {
            CloseHandle(h);
        }
    }
    if (!started) {
        if (read != nullptr) {
            CloseHandle(read);
        }
        return nullptr;
    }
    handle->output = read;
    handle->job = KillOnCloseJob();
    if (handle->job != nullptr) {
        AssignProcessToJobObject(handle->job, handle->process.hProcess);
    }
    return std::unique_ptr<ChildProcess>(new ChildProcess(std::move(handle)));
}

ChildProcess::~ChildProcess() {
    if (!handle_->ended) {
        Interrupt();
        Wait();
    }
    for (HANDLE h :
         {handle_->output, handle_->job, handle_->process.hProcess, handle_->process.hThread}) {
        if (h != nullptr) {
            CloseHandle(h);
        }
    }
}

bool ChildProcess::ReadAvailable() {
    if (handle_->output == nullptr) {
        return false;
    }
    DWORD available = 0;
    bool open = PeekNamedPipe(handle_->output, nullptr, 0, nullptr, &available, nullptr) != 0;
    if (open && available > 0) {
        std::string buffer(available, '\0');
        DWORD got = 0;
        open = ReadFile(handle_->output, buffer.data(), available, &got, nullptr) != 0;
        pending_.append(buffer, 0, got);
    }
    if (!open) {
        CloseHandle(handle_->output);
        handle_->output = nullptr;
    }
    return open;
}

void ChildProcess::Interrupt() {
    if (!handle_->ended) {
        GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, handle_->process.dwProcessId);
    }
}

void ChildProcess::Stop() {
    if (!handle_->ended) {
        TerminateProcess(handle_->process.hProcess, 1);
    }
    Wait();
}

int ChildProcess::Wait() {
    WaitForExit(std::chrono::milliseconds(INFINITE));
    return handle_->status;
}

std::optional<int> ChildProcess::WaitForExit(std::chrono::milliseconds limit) {
    if (!handle_->ended &&
        WaitForSingleObject(handle_->process.hProcess, static_cast<DWORD>(limit.count())) ==
            WAIT_OBJECT_0) {
        DWORD status = 0;
        GetExitCodeProcess(handle_->process.hProcess, &status);
        handle_->status = static_cast<int>(status);
        handle_->ended = true;
    }
    return handle_->ended ? std::optional<int>(handle_->status) : std::nullopt;
}

// Pipes cannot be waited on together: sleep the interval, as the copies report every few
// milliseconds anyway.
void WaitForOutput(const std::vector<ChildProcess*>& children, std::chrono::milliseconds limit) {
    (void)children;
    Sleep(static_cast<DWORD>(std::min<long long>(limit.count(), 20)));
}

std::string OwnProgramPath(const char* argv0) {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return length > 0 && length < sizeof path ? std::string(path, length) : argv0;
}

std::string FindOnPath(const std::string& program) {
    char path[MAX_PATH];
    const DWORD length = SearchPathA(nullptr, program.c_str(), ".exe", sizeof path, path, nullptr);
    return length > 0 && length < sizeof path ? std::string(path, length) : std::string();
}

}  // namespace kt73b::cli
