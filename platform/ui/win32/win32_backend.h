// The Win32 back end: each dialog is made by the system's dialog manager from the program's own
// template resource and runs in its modal loop; calls from other threads reach the dialog's
// thread as a posted message, which nested loops (message boxes, the about box) dispatch too.
#pragma once

#include <mutex>
#include <vector>

#include "platform/ui/backend.h"
#include "platform/ui/win32/windows_api.h"

namespace kt73b::ui {

// Posted to a dialog window to make it run the calls other threads have queued for it.
inline constexpr UINT kRunPendingCallsMessage = WM_APP + 1;

class Win32Backend final : public Backend {
  public:
    // `module` holds the dialog templates and icon 128: the program's own executable.
    explicit Win32Backend(HINSTANCE module);

    // Registers the common-control classes the templates use (the progress bar among them);
    // the program calls it once before the first dialog.
    static bool InitCommonControls();

    int RunModal(Dialog& dialog) override;
    void WakeDialogThread() override;
    int ShowMessageBox(std::string_view text, std::string_view caption, unsigned type) override;

    // The dialog windows' own side: open windows, innermost last.
    void AddWindow(HWND window);
    void RemoveWindow(HWND window);
    HINSTANCE Module() const { return module_; }

  private:
    HWND InnermostWindow();

    const HINSTANCE module_;
    std::mutex mutex_;
    // Written on the dialog's thread as windows open and close; read by any thread that wakes
    // the dialogs. Under mutex_.
    std::vector<HWND> windows_;
};

}  // namespace kt73b::ui
