#include "app/cli/update_session.h"

#include <utility>

#include "app/cli/port_choice.h"
#include "resources/ui/ui_resources.h"

namespace kt73b::cli {

namespace {

constexpr std::string_view kProgram = "kt73b-update: ";

std::vector<std::string> Items(const ui::TerminalWindow& window, int listId) {
    const ui::TerminalControl* list = window.Find(listId);
    return list != nullptr ? list->items : std::vector<std::string>{};
}

}  // namespace

UpdateSession::UpdateSession(SessionSettings settings, SessionOutput output)
    : settings_(std::move(settings)),
      output_(std::move(output)),
      printer_(output_.out, output_.terminal, output_.width) {}

void UpdateSession::Opened(ui::Dialog& dialog, ui::TerminalWindow& window) {
    if (settings_.listOnly) {
        PrintLists(window);
        End(dialog, ExitStatus::kCompleted);
        return;
    }
    if (!ChoosePorts(window)) {
        End(dialog, ExitStatus::kNoSuchPort);
        return;
    }
    state_ = State::kRunning;
    dialog.OnCommand(ui::kIdOk);  // Execute, as the user would press it
}

bool UpdateSession::ChoosePorts(ui::TerminalWindow& window) {
    const std::vector<std::string> ins = Items(window, IDC_MIDI_IN_LIST);
    const std::vector<std::string> outs = Items(window, IDC_MIDI_OUT_LIST);
    if (ins.empty() && outs.empty()) {
        Fail(
            "no MIDI devices were found, neither inputs nor outputs. Connect the KT-73B and "
            "start it in its firmware update mode, then try again; --emulate updates the "
            "emulated device built into this program.");
        return false;
    }
    const PortChoice out = ChoosePort(
        outs, settings_.out, DefaultPosition(window, IDC_MIDI_OUT_LIST), PortDirection::kOutput);
    if (!out.error.empty()) {
        Fail(out.error);
        return false;
    }
    const PortChoice in = ChoosePort(ins, settings_.in, DefaultPosition(window, IDC_MIDI_IN_LIST),
                                     PortDirection::kInput);
    if (!in.error.empty()) {
        Fail(in.error);
        return false;
    }
    window.SetListSelection(IDC_MIDI_OUT_LIST, out.position);
    window.SetListSelection(IDC_MIDI_IN_LIST, in.position);
    output_.out("Updating through MIDI OUT \"" + outs[static_cast<std::size_t>(out.position)] +
                "\" and MIDI IN \"" + ins[static_cast<std::size_t>(in.position)] + "\".\n");
    return true;
}

int UpdateSession::DefaultPosition(const ui::TerminalWindow& window, int listId) const {
    if (settings_.emulatedDevice)
        return window.ListCount(listId) - 1;
    return window.ListSelection(listId);
}

void UpdateSession::PrintLists(const ui::TerminalWindow& window) {
    std::string text;
    for (const auto& [listId, title] :
         {std::pair{IDC_MIDI_IN_LIST, "MIDI IN"}, std::pair{IDC_MIDI_OUT_LIST, "MIDI OUT"}}) {
        const std::vector<std::string> names = Items(window, listId);
        text += std::string(title) + "\n";
        text += names.empty() ? "  (none)\n" : ListPorts(names, DefaultPosition(window, listId));
    }
    output_.out(text);
}

void UpdateSession::Changed(ui::Dialog& dialog, ui::TerminalWindow& window) {
    if (state_ != State::kRunning)
        return;
    ShowProgress(window);
    if (const std::optional<ExitStatus> outcome = RunOutcome(window))
        End(dialog, *outcome);
}

void UpdateSession::ShowProgress(const ui::TerminalWindow& window) {
    const ui::TerminalControl* step = window.Find(IDC_STEP_COUNTER);
    const ui::TerminalControl* status = window.Find(IDC_STATUS_LINE);
    const ui::TerminalControl* bar = window.Find(IDC_PROGRESS);
    if (step == nullptr || status == nullptr || bar == nullptr)
        return;
    const auto now = output_.now();
    progress_.Observe(StepNumber(step->text), bar->rangeHigh, bar->position, now);
    printer_.Show({step->text, status->text, status->textSets, bar->rangeLow, bar->rangeHigh,
                   bar->position, FormatFigures(progress_.Figures(now))},
                  now);
}

// The run is over once it has given the controls back: completed when the status line says
// so and Execute is disabled after it, failed when a message box came first.
std::optional<ExitStatus> UpdateSession::RunOutcome(const ui::TerminalWindow& window) const {
    const bool restored = window.IsControlEnabled(IDC_RESCAN) &&
                          window.IsControlEnabled(IDC_MIDI_IN_LIST) &&
                          window.IsControlEnabled(IDC_MIDI_OUT_LIST);
    if (!restored)
        return std::nullopt;
    const bool executeEnabled = window.IsControlEnabled(ui::kIdOk);
    if (window.ControlText(IDC_STATUS_LINE) == res::LoadString(IDS_UPDATE_COMPLETED))
        return executeEnabled ? std::nullopt : std::optional(ExitStatus::kCompleted);
    if (boxes_.empty())
        return ExitStatus::kOtherFailure;
    return StatusForMessage(boxes_.back());
}

void UpdateSession::MessageBoxShown(std::string_view text, std::string_view caption) {
    boxes_.emplace_back(text);
    printer_.Break();
    output_.err(std::string(kProgram) + std::string(caption) + ": " + std::string(text) + "\n");
}

void UpdateSession::Interrupted(ui::Dialog& dialog) {
    if (state_ == State::kEnded)
        return;
    printer_.Break();
    output_.err(std::string(kProgram) + "interrupted.\n");
    End(dialog, ExitStatus::kInterrupted);
}

// Closes the dialog as Exit would; a run still going ends at its next wait.
void UpdateSession::End(ui::Dialog& dialog, ExitStatus status) {
    printer_.Break();
    outcome_ = status;
    state_ = State::kEnded;
    const ExitStatusInfo& info = InfoFor(status);
    if (status != ExitStatus::kNoSuchPort && !info.nextStep.empty())
        output_.err(std::string(kProgram) + std::string(info.nextStep) + "\n");
    dialog.OnCommand(ui::kIdCancel);
}

void UpdateSession::Fail(std::string_view text) {
    printer_.Break();
    output_.err(std::string(kProgram) + std::string(text) + "\n");
}

}  // namespace kt73b::cli
