#include "tests/windows/program_process.h"

#include <fstream>
#include <iterator>

#include "resources/ui/resource_ids.h"

namespace kt73b::testing {

ProgramProcess::ProgramProcess(const std::string& program, const std::string& arguments,
                               const std::string& folder) {
    char tempFolder[MAX_PATH] = {};
    char name[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, tempFolder);
    GetTempFileNameA(tempFolder, "kt7", 0, name);
    outputFile_ = name;
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE output = CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION created{};
    std::string commandLine = "\"" + program + "\" " + arguments;
    if (output != INVALID_HANDLE_VALUE &&
        CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       folder.empty() ? nullptr : folder.c_str(), &startup, &created)) {
        CloseHandle(created.hThread);
        process_ = created.hProcess;
        processId_ = created.dwProcessId;
    }
    if (output != INVALID_HANDLE_VALUE) {
        CloseHandle(output);
    }
}

ProgramProcess::~ProgramProcess() {
    if (process_ != nullptr) {
        if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_, 1);
            WaitForSingleObject(process_, INFINITE);
        }
        CloseHandle(process_);
    }
    DeleteFileA(outputFile_.c_str());
}

HWND ProgramProcess::WaitForMainWindow() const {
    HWND main = nullptr;
    WaitUntil([&] {
        main = DialogWithControl(Windows(), IDC_MIDI_IN_LIST);
        return main != nullptr && !TextOf(main).empty();
    });
    return main;
}

std::optional<DWORD> ProgramProcess::WaitForExit(std::chrono::milliseconds timeout) const {
    if (process_ == nullptr ||
        WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return code;
}

std::string ProgramProcess::Output() const {
    std::ifstream in(outputFile_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace kt73b::testing
