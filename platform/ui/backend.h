// A user-interface back end: makes windows from dialog templates and runs their modal loops.
// One per process (Win32, wxWidgets or headless), chosen by the program at start.
#pragma once

#include <string_view>

namespace kt73b::ui {

class Dialog;

class Backend {
  public:
    virtual ~Backend() = default;

    // Creates the window of `dialog` from its template, attaches it, runs OnInitDialog, then the
    // modal loop until EndDialog; then OnDestroy, detaches it and returns EndDialog's result.
    virtual int RunModal(Dialog& dialog) = 0;

    // Wakes the thread that runs the modal loops so it carries out calls queued from other
    // threads (Dialog::RunPendingCalls). Callable from any thread.
    virtual void WakeDialogThread() = 0;

    // A message box that no window owns, shown on the calling thread.
    virtual int ShowMessageBox(std::string_view text, std::string_view caption, unsigned type) = 0;
};

// Set once by the program before the first dialog runs; not owned.
void SetBackend(Backend* backend);
Backend* CurrentBackend();

}  // namespace kt73b::ui
