#include "tests/windows/program_run.h"

#include <fstream>
#include <iterator>

#include "platform/ui/win32/windows_api.h"

namespace kt73b::testing {

namespace {

std::string OutputFileName() {
    char folder[MAX_PATH] = {};
    char name[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, "kt7", 0, name);
    return name;
}

}  // namespace

std::optional<ProgramResult> RunToEnd(const std::string& program, const std::string& arguments,
                                      std::chrono::milliseconds bound) {
    const std::string outputFile = OutputFileName();
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE output = CreateFileA(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE)
        return std::nullopt;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION created{};
    std::string commandLine = "\"" + program + "\" " + arguments;
    const BOOL started = CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        0, nullptr, nullptr, &startup, &created);
    CloseHandle(output);
    if (!started) {
        DeleteFileA(outputFile.c_str());
        return std::nullopt;
    }
    CloseHandle(created.hThread);
    std::optional<ProgramResult> result;
    if (WaitForSingleObject(created.hProcess, static_cast<DWORD>(bound.count())) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(created.hProcess, &code);
        std::ifstream in(outputFile, std::ios::binary);
        result = ProgramResult{code, {std::istreambuf_iterator<char>(in), {}}};
    } else {
        TerminateProcess(created.hProcess, 1);
        WaitForSingleObject(created.hProcess, INFINITE);
    }
    CloseHandle(created.hProcess);
    DeleteFileA(outputFile.c_str());
    return result;
}

}  // namespace kt73b::testing
