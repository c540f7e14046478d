// kt73b-update: the updater on the command line. The dialog program's own dialog runs on the
// terminal back end, so the update, its texts and its log are the dialog's.
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/cli_options.h"
#include "app/cli/update_session.h"
#include "app/instance_numbering.h"
#include "app/updater_dialog.h"
#include "emulator/fault_script_parser.h"
#include "emulator/loopback/loopback_emulator.h"
#include "engine/image_set.h"
#include "platform/os/instance_lock.h"
#include "platform/ui/terminal/console.h"
#include "platform/ui/terminal/stop_signals.h"
#include "platform/ui/terminal/terminal_backend.h"
#include "platform/winmm/driver_threads.h"

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

void PrintVersion() {
    Write(stdout, InstanceName(1) +
                      " (kt73b-update " KT73B_VERSION ")\nFirmware an update writes: " +
                      DescribeImageSet(ActiveImageSet()));
}

// Images named on the command line take the place of those built in, before anything starts.
bool UseFirmwareFolder(const std::string& folder) {
    ImageSet set;
    std::string error;
    if (!ReadImageFolder(folder, set, error)) {
        Write(stderr, "kt73b-update: --firmware: " + error + ". Nothing was sent.\n");
        return false;
    }
    UseImageSet(set);
    return true;
}

int Run(const cli::CliOptions& options) {
    // Held until the program ends: a dialog copy beside this one then picks another device.
    os::InstanceLock lock;
    const int instance = ClaimInstanceNumber(lock);
    if (instance == 0) {
        Write(stderr, "kt73b-update: " + InstanceLimitMessage() + "\n");
        return static_cast<int>(ExitStatus::kInstanceLimit);
    }
    if (instance > 1) {
        Write(stdout, "This is copy " + std::to_string(instance) +
                          " of the updater: its default ports are those named for copy " +
                          std::to_string(instance) + " (\"NAME (" + std::to_string(instance) +
                          ")\").\n");
    }
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
        CTn8UpdatorDlg dialog(instance);
        dialog.SetRunObserver(&session);
        dialog.DoModal();
    }  // the worker, if one still runs, is joined here
    ui::SetBackend(nullptr);
    winmm::EndDriverThreads();
    return static_cast<int>(session.Outcome());
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    cli::CliOptions options;
    std::string error;
    if (!cli::ParseCliOptions(args, options, error)) {
        Write(stderr, "kt73b-update: " + error + "\nTry 'kt73b-update --help'.\n");
        return static_cast<int>(ExitStatus::kUsage);
    }
    if (options.help) {
        Write(stdout, cli::CliHelpText());
        return 0;
    }
    if (!options.firmwareFolder.empty() && !UseFirmwareFolder(options.firmwareFolder)) {
        return static_cast<int>(ExitStatus::kBadFirmwareFolder);
    }
    if (options.version) {
        PrintVersion();
        return 0;
    }
    return Run(options);
}
