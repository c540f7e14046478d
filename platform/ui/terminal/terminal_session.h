// What a terminal program does with its dialog. The terminal back end shows no window, so the
// program acts for the user (it picks entries and clicks buttons) and says what the controls show.
#pragma once

#include <string_view>

#include "platform/ui/dialog.h"
#include "platform/ui/terminal/terminal_window.h"

namespace kt73b::ui {

class TerminalSession {
  public:
    virtual ~TerminalSession() = default;

    // Made on the dialog's thread, between the back end's batches of calls unless said otherwise.

    // The window exists and OnInitDialog has run.
    virtual void Opened(Dialog& dialog, TerminalWindow& window) = 0;
    // After each batch of control calls (the dialog's own and those carried from other threads).
    virtual void Changed(Dialog& dialog, TerminalWindow& window) = 0;
    // A message box; it counts as dismissed with OK as soon as this returns. A box that no
    // window owns is reported on the thread that shows it.
    virtual void MessageBoxShown(std::string_view text, std::string_view caption) = 0;
    // The user asked the program to stop (Ctrl-C, or a request to terminate).
    virtual void Interrupted(Dialog& dialog) = 0;
};

}  // namespace kt73b::ui
