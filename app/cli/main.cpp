// kt73b-update: the updater on the command line. The dialog program's own dialog runs on the
// terminal back end, so the update, its texts and its log are the dialog's.
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/cli_options.h"
#include "app/cli/update_session.h"
#include "app/updater_dialog.h"
#include "emulator/fault_script_parser.h"
#include "emulator/loopback/loopback_emulator.h"
#include "platform/ui/terminal/console.h"
#include "platform/ui/terminal/stop_signals.h"
#include "platform/ui/terminal/terminal_backend.h"

namespace {

using namespace kt73b;

void Write(std::FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

// The emulated device, with the device's own timings so that the progress means something.
std::unique_ptr<emu::LoopbackEmulator> StartEmulatedDevice(const std::string& faultRules) {
    emu::EmulatorSettings settings;
    std::string error;
    // The rules were checked when the command line was read.
    emu::ParseFaultScript(faultRules, settings.faults, error);
    return std::make_unique<emu::LoopbackEmulator>(settings);
}

int Run(const cli::CliOptions& options) {
    const ui::ConsoleInfo console = ui::StandardOutputConsole();
    cli::UpdateSession session(
        {options.list, options.in, options.out, options.emulate},
        {[](std::string_view text) { Write(stdout, text); },
         [](std::string_view text) { Write(stderr, text); }, console.terminal, console.width});
    ui::TerminalBackend backend(session);
    // Before any other thread exists: Ctrl-C then ends the dialog as Exit would.
    ui::StopSignals stopSignals([&backend] { backend.Interrupt(); });
    const auto device = options.emulate ? StartEmulatedDevice(options.faultRules) : nullptr;
    ui::SetBackend(&backend);
    {
        CTn8UpdatorDlg dialog(1);
        dialog.DoModal();
    }  // the worker, if one still runs, is joined here
    ui::SetBackend(nullptr);
    return static_cast<int>(session.Outcome());
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    cli::CliOptions options;
    std::string error;
    if (!cli::ParseCliOptions(args, options, error)) {
        Write(stderr, "kt73b-update: " + error + "\nTry 'kt73b-update --help'.\n");
        return static_cast<int>(cli::ExitStatus::kUsage);
    }
    if (options.help) {
        Write(stdout, cli::CliHelpText());
        return 0;
    }
    return Run(options);
}
