#include "app/programs/wx_updater_app.h"

#include <wx/log.h>

#include <cstdio>
#include <filesystem>

#include "app/updater_app.h"

namespace kt73b {

namespace {

// A failed wx check is a bug of ours to read about on stderr, not a dialog in the user's way.
void PrintAssert(const wxString& file, int line, const wxString& function, const wxString& cond,
                 const wxString& message) {
    std::fprintf(stderr, "%s:%d (%s): %s %s\n", file.utf8_str().data(), line,
                 function.utf8_str().data(), cond.utf8_str().data(), message.utf8_str().data());
}

}  // namespace

bool WxUpdaterApp::OnInit() {
    // wxApp::OnInit is left out on purpose: it would parse wx's own command-line options.
    wxSetAssertHandler(&PrintAssert);
    delete wxLog::SetActiveTarget(new wxLogStderr);
    ui::SetBackend(&backend_);
    return true;
}

int WxUpdaterApp::OnRun() {
    // The application name is the executable's file name without extension.
    const std::string name = std::filesystem::path(argv[0].ToStdString()).stem().string();
    CTn8UpdatorApp app(name, timings_);
    return app.InitInstance();
}

int WxUpdaterApp::OnExit() {
    ui::SetBackend(nullptr);
    return wxApp::OnExit();
}

int RunDialogProgram(int argc, char** argv, UpdateTimings timings) {
    // wxEntry takes the application object and deletes it at its end.
    wxApp::SetInstance(new WxUpdaterApp(timings));
    return wxEntry(argc, argv);
}

}  // namespace kt73b
