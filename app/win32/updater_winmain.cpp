// Updater.exe: the application object on the Win32 back end. The common controls are prepared
// first; the instance claim and the dialog follow in CTn8UpdatorApp::InitInstance.
#include <string>

#include "app/updater_app.h"
#include "platform/ui/win32/win32_backend.h"
#include "platform/ui/win32/windows_api.h"
#include "platform/winmm/driver_threads.h"

namespace {

// The executable's file name without folder and extension: the caption of the one box the
// application shows itself.
std::string ApplicationName() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name(path, length);
    name.erase(0, name.find_last_of("\\/") + 1);
    if (const auto dot = name.find_last_of('.'); dot != std::string::npos) {
        name.resize(dot);
    }
    return name;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    kt73b::ui::Win32Backend::InitCommonControls();
    kt73b::ui::Win32Backend backend(instance);
    kt73b::ui::SetBackend(&backend);
    kt73b::CTn8UpdatorApp app(ApplicationName());
    const int result = app.InitInstance();
    kt73b::ui::SetBackend(nullptr);
    kt73b::winmm::EndDriverThreads();
    return result;
}
