#include "app/about_dialog.h"

#include "resources/ui/ui_resources.h"

namespace kt73b {

CAboutDlg::CAboutDlg() : ui::Dialog(IDD_ABOUTBOX) {}

bool CAboutDlg::OnInitDialog() {
    version_.Bind(this, IDC_ABOUT_VERSION);
    version_.SetWindowText(res::kVersionText);  // never with the instance number
    return true;
}

void CAboutDlg::OnCommand(int id) {
    if (id == res::kIdOk || id == res::kIdCancel) {
        EndDialog(id);
    }
}

}  // namespace kt73b
