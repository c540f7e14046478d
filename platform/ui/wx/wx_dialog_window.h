// One dialog as a wxDialog: its controls made from the template in tab order, the WindowHost calls
// carried out on them, and the keys and commands of a Windows dialog (Return presses the default
// button, Escape and the close box send IDCANCEL, the window-menu entries in a context menu).
#pragma once

#include <wx/dialog.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/window_host.h"
#include "platform/ui/wx/template_controls.h"
#include "resources/ui/ui_resources.h"

class wxChoice;
class wxGauge;

namespace kt73b::ui {

class Dialog;
class WxBackend;

class WxDialogWindow final : public wxDialog, public WindowHost {
  public:
    struct MenuEntry {
        unsigned command;  // 0 for a separator
        std::string text;
    };

    WxDialogWindow(wxWindow* owner, const res::DialogTemplate& layout, Dialog& dialog,
                   WxBackend& backend);

    int TemplateId() const { return templateId_; }
    // Shows the window and runs its modal loop, unless EndDialog came first; EndDialog's result.
    int RunModalLoop();
    // Gives the keyboard focus to the first enabled control with a tab stop.
    void FocusFirstTabStop();
    // The widget of control `id`, or null; static texts (id -1) are not looked up.
    wxWindow* ControlWindow(int id) const;
    const std::vector<MenuEntry>& MenuEntries() const { return menu_; }

    void SetControlText(int id, std::string_view text) override;
    std::string ControlText(int id) const override;
    void EnableControl(int id, bool enable) override;
    bool IsControlEnabled(int id) const override;
    void ResetList(int id) override;
    void AddListItem(int id, std::string_view text) override;
    int ListCount(int id) const override;
    std::string ListItem(int id, int index) const override;
    void SetListSelection(int id, int index) override;
    int ListSelection(int id) const override;
    void SetProgressRange(int id, int low, int high) override;
    void SetProgressPosition(int id, int position) override;
    void SetTitle(std::string_view title) override;
    void AppendSystemMenuEntry(unsigned command, std::string_view text) override;
    int ShowMessageBox(std::string_view text, std::string_view caption, unsigned type) override;
    void EndDialog(int result) override;

  private:
    struct ControlEntry {
        int id;
        ControlKind kind;
        wxWindow* widget;
    };
    struct Progress {
        int low = 0;
        int high = 100;
    };

    void CreateControls(const res::DialogTemplate& layout);
    void BindControlEvents(const ControlEntry& entry);
    const ControlEntry* Find(int id) const;
    const ControlEntry* FindWidget(const wxWindow* widget) const;
    wxChoice* List(int id) const;
    wxGauge* Gauge(int id) const;
    void SetFocusTo(wxWindow* widget, int id);

    // The keyboard (dialog_keyboard.cpp).
    void OnCharHook(wxKeyEvent& event);
    void PressReturn();
    void OnCloseBox(wxCloseEvent& event);
    void OnContextMenu(wxContextMenuEvent& event);
    void OnMenuCommand(wxCommandEvent& event);
    void RebuildAccelerators();
    void KeepFocusOffDisabled(int id);

    Dialog& dialog_;
    WxBackend& backend_;
    const int templateId_;
    std::vector<ControlEntry> controls_;                 // in template (tab) order
    std::map<int, std::vector<std::string>> listItems_;  // each list's entries, byte for byte
    std::map<int, Progress> progress_;
    std::vector<MenuEntry> menu_;
    // A focusable child that takes no part in tab order: it holds the keyboard focus while the
    // focused control is disabled, so that Escape and Return still reach the dialog (GTK drops
    // the focus of a disabled widget, and a window without a focus widget hears no keys).
    wxWindow* focusSink_ = nullptr;
    // The control that holds the focus within this window, also while the window is inactive
    // and wx's FindFocus knows nothing; none while the sink holds it.
    std::optional<int> focused_;
    int defaultButton_ = 0;
    bool ended_ = false;  // EndDialog came before the modal loop ran
    int result_ = 0;
};

}  // namespace kt73b::ui
