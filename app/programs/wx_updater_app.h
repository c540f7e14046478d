// The dialog program on wxWidgets: a wx application whose whole run is the updater's start-up,
// with the wx back end as the dialogs' user interface. It reads no options.
#pragma once

#include <wx/app.h>

#include "app/update_timings.h"
#include "platform/ui/wx/wx_backend.h"

namespace kt73b {

class WxUpdaterApp final : public wxApp {
  public:
    explicit WxUpdaterApp(UpdateTimings timings = {}) : timings_(timings) {}

    bool OnInit() override;
    int OnRun() override;
    int OnExit() override;

  private:
    ui::WxBackend backend_;
    const UpdateTimings timings_;
};

// Runs the dialog program to its end; the process's exit status.
int RunDialogProgram(int argc, char** argv, UpdateTimings timings = {});

}  // namespace kt73b
