// The control kinds the dialogs bind: thin handles (dialog + control id) whose calls go through
// the dialog's thread; once the window is gone they do nothing and read as empty.
#pragma once

#include <string>
#include <string_view>

#include "platform/ui/dialog.h"

namespace kt73b::ui {

class Control {
  public:
    void Bind(Dialog* dialog, int id) {
        dialog_ = dialog;
        id_ = id;
    }
    int Id() const { return id_; }
    void EnableWindow(bool enable);
    bool IsWindowEnabled() const;
    void SetWindowText(std::string_view text);
    std::string GetWindowText() const;

  protected:
    template <class F>
    bool Call(F&& call) const {
        return dialog_ != nullptr && dialog_->OnDialogThread(std::forward<F>(call));
    }

    Dialog* dialog_ = nullptr;
    int id_ = 0;
};

class ComboBox : public Control {
  public:
    void ResetContent();
    void AddString(std::string_view text);
    int GetCount() const;
    std::string GetLBText(int index) const;
    void SetCurSel(int index);
    int GetCurSel() const;
};

class ProgressCtrl : public Control {
  public:
    void SetRange32(int low, int high);
    void SetPos(int position);
};

using Edit = Control;
using Button = Control;
using Static = Control;

}  // namespace kt73b::ui
