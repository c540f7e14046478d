#include "app/updater_app.h"

#include <utility>

#include "app/instance_numbering.h"
#include "app/updater_dialog.h"
#include "platform/ui/backend.h"

namespace kt73b {

CTn8UpdatorApp::CTn8UpdatorApp(std::string appName, UpdateTimings timings)
    : appName_(std::move(appName)), timings_(timings) {}

int CTn8UpdatorApp::InitInstance() {
    instanceNumber_ = ClaimInstanceNumber(lock_);
    if (instanceNumber_ == 0) {
        if (ui::Backend* backend = ui::CurrentBackend()) {
            backend->ShowMessageBox(InstanceLimitMessage(), appName_, ui::kMbOk);
        }
        return 0;
    }
    CTn8UpdatorDlg dialog(instanceNumber_, timings_);
    dialog.DoModal();
    return 0;
}

}  // namespace kt73b
