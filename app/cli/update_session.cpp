#include "app/cli/update_session.h"

#include <algorithm>
#include <utility>

#include "app/cli/port_choice.h"
#include "engine/step_table.h"
#include "resources/ui/ui_resources.h"

namespace kt73b::cli {

namespace {

constexpr std::string_view kProgram = "kt73b-update: ";

std::vector<std::string> Items(const ui::TerminalWindow& window, int listId) {
    const auto list = window.controls.find(listId);
    return list != window.controls.end() ? list->second.items : std::vector<std::string>{};
}

}  // namespace

UpdateSession::UpdateSession(SessionSettings settings, SessionOutput output)
    : settings_(std::move(settings)),
      output_(std::move(output)),
      printer_(output_.out, output_.terminal, output_.width) {}

void UpdateSession::Opened(ui::Dialog& dialog, ui::TerminalWindow& window) {
    dialog_ = &dialog;
    if (settings_.listOnly) {
        PrintLists(window);
        End(ExitStatus::kCompleted);
        return;
    }
    if (!ChoosePorts(window)) {
        End(ExitStatus::kNoSuchPort);
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
    chosenOut_ = outs[static_cast<std::size_t>(out.position)];
    chosenIn_ = ins[static_cast<std::size_t>(in.position)];
    output_.out("Updating through MIDI OUT \"" + chosenOut_ + "\" and MIDI IN \"" + chosenIn_ +
                "\".\n");
    return true;
}

int UpdateSession::DefaultPosition(const ui::TerminalWindow& window, int listId) const {
    if (settings_.emulatedDevice) {
        const std::vector<std::string> names = Items(window, listId);
        const auto own = std::find(names.rbegin(), names.rend(), settings_.emulatedName);
        return static_cast<int>(own != names.rend() ? names.rend() - own : names.size()) - 1;
    }
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

void UpdateSession::Changed(ui::Dialog&, ui::TerminalWindow&) {}

void UpdateSession::StepStarted(int step) {
    step_ = step;
    line_.step = std::to_string(step) + "/" + std::to_string(kStepCount);
    ShowProgress();
}

void UpdateSession::ProgressMoved(std::uint32_t position, std::uint32_t high) {
    line_.high = static_cast<int>(high);
    line_.position = static_cast<int>(position);
    ShowProgress();
}

void UpdateSession::StatusTextSet(std::string_view text) {
    line_.status = text;
    ++line_.statusSets;
    ShowProgress();
}

void UpdateSession::Failed(FailureKind kind) {
    const FailureRow& row = RowFor(kind);
    if (row.endsRun && state_ == State::kRunning) {
        End(row.exitStatus);
    }
}

void UpdateSession::Completed() {
    if (state_ == State::kRunning) {
        End(ExitStatus::kCompleted);
    }
}

void UpdateSession::ShowProgress() {
    if (state_ != State::kRunning) {
        return;
    }
    const auto now = output_.now();
    progress_.Observe(step_, line_.high, line_.position, now);
    line_.figures = FormatFigures(progress_.Figures(now));
    printer_.Show(line_, now);
}

void UpdateSession::MessageBoxShown(std::string_view text, std::string_view caption) {
    printer_.Break();
    output_.err(std::string(kProgram) + std::string(caption) + ": " + std::string(text) + "\n");
}

void UpdateSession::Interrupted(ui::Dialog&) {
    if (state_ == State::kEnded) {
        return;
    }
    printer_.Break();
    output_.err(std::string(kProgram) + "interrupted.\n");
    End(ExitStatus::kInterrupted);
}

// Closes the dialog as Exit would; a run still going ends at its next wait.
void UpdateSession::End(ExitStatus status) {
    printer_.Break();
    outcome_ = status;
    state_ = State::kEnded;
    const ExitStatusInfo info = InfoFor(status);
    if (status != ExitStatus::kNoSuchPort && !info.nextStep.empty()) {
        output_.err(std::string(kProgram) + std::string(info.nextStep) + "\n");
    }
    dialog_->OnCommand(ui::kIdCancel);
}

void UpdateSession::Fail(std::string_view text) {
    printer_.Break();
    output_.err(std::string(kProgram) + std::string(text) + "\n");
}

}  // namespace kt73b::cli
