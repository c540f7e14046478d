// The about box: the application icon, the version text and one line about the program.
#pragma once

#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"

namespace kt73b {

class CAboutDlg : public ui::Dialog {
  public:
    CAboutDlg();
    bool OnInitDialog() override;
    void OnCommand(int id) override;

  private:
    ui::Edit version_;
};

}  // namespace kt73b
