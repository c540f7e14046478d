// kt73b-update's part in the dialog: on the terminal back end it does what a user of the dialog
// would. It picks the ports, presses Execute, draws the progress the run reports, says each
// message box on standard error, and closes the dialog once the run has completed or failed. Or,
// for --list, it prints the port lists as the dialog filled them and closes it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/exit_status.h"
#include "app/cli/update_progress.h"
#include "app/run_observer.h"
#include "platform/ui/terminal/progress_printer.h"
#include "platform/ui/terminal/terminal_session.h"

namespace kt73b::cli {

struct SessionSettings {
    bool listOnly = false;
    // The ports the user named (a position or an exact name); empty: the default.
    std::optional<std::string> in{};
    std::optional<std::string> out{};
    // The default ports are the emulated device's, which the lists hold last, rather than the
    // dialog's pre-selection, which a real device of the same name could win.
    bool emulatedDevice = false;
    // The emulated device of this instance, where there are several; empty: the last one.
    std::string emulatedName{};
};

struct SessionOutput {
    using Sink = std::function<void(std::string_view)>;
    Sink out;               // progress and lists
    Sink err;               // failures
    bool terminal = false;  // `out` is a terminal: redraw one line
    int width = 80;         // its width in columns
    std::function<UpdateProgress::Clock::time_point()> now = UpdateProgress::Clock::now;
};

class UpdateSession final : public ui::TerminalSession, public RunObserver {
  public:
    UpdateSession(SessionSettings settings, SessionOutput output);

    void Opened(ui::Dialog& dialog, ui::TerminalWindow& window) override;
    void Changed(ui::Dialog& dialog, ui::TerminalWindow& window) override;
    void MessageBoxShown(std::string_view text, std::string_view caption) override;
    void Interrupted(ui::Dialog& dialog) override;

    void StepStarted(int step) override;
    void ProgressMoved(std::uint32_t position, std::uint32_t high) override;
    void StatusTextSet(std::string_view text) override;
    void Failed(FailureKind kind) override;
    void Completed() override;

    // What the program exits with; kOtherFailure until the session has ended the dialog.
    ExitStatus Outcome() const { return outcome_.value_or(ExitStatus::kOtherFailure); }
    // The ports the update went through; empty until they are chosen.
    const std::string& ChosenIn() const { return chosenIn_; }
    const std::string& ChosenOut() const { return chosenOut_; }

  private:
    enum class State { kChoosing, kRunning, kEnded };

    bool ChoosePorts(ui::TerminalWindow& window);
    void PrintLists(const ui::TerminalWindow& window);
    int DefaultPosition(const ui::TerminalWindow& window, int listId) const;
    void ShowProgress();
    void End(ExitStatus status);
    void Fail(std::string_view text);

    const SessionSettings settings_;
    SessionOutput output_;
    ui::ProgressPrinter printer_;
    UpdateProgress progress_;
    State state_ = State::kChoosing;
    ui::Dialog* dialog_ = nullptr;  // from Opened on
    ui::ProgressLine line_;         // what the run has reported so far
    int step_ = 0;
    std::optional<ExitStatus> outcome_;
    std::string chosenIn_;
    std::string chosenOut_;
};

}  // namespace kt73b::cli
