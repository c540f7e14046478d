#include "tests/windows/updater_process.h"

#include "resources/ui/resource_ids.h"

namespace kt73b::testing {

UpdaterProcess::UpdaterProcess(const std::string& program, const std::string& folder) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created{};
    std::string commandLine = "\"" + program + "\"";
    if (CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       folder.c_str(), &startup, &created)) {
        CloseHandle(created.hThread);
        process_ = created.hProcess;
        processId_ = created.dwProcessId;
    }
}

UpdaterProcess::~UpdaterProcess() {
    if (process_ == nullptr)
        return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, INFINITE);
    }
    CloseHandle(process_);
}

HWND UpdaterProcess::WaitForMainWindow() const {
    HWND main = nullptr;
    WaitUntil([&] {
        main = DialogWithControl(Windows(), IDC_MIDI_IN_LIST);
        return main != nullptr && !TextOf(main).empty();
    });
    return main;
}

std::optional<DWORD> UpdaterProcess::WaitForExit(std::chrono::milliseconds timeout) const {
    if (WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return code;
}

}  // namespace kt73b::testing
