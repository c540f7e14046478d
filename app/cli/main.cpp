// kt73b-update: the updater on the command line. The dialog program's own dialog runs on the
// terminal back end, so the update, its texts and its log are the dialog's.
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/all_devices.h"
#include "app/cli/child_process.h"
#include "app/cli/cli_options.h"
#include "app/cli/device_discovery.h"
#include "app/cli/json_events.h"
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

// The emulated devices, with the device's own timings so that the progress means something:
// devices 1 to --emulate N, or with --instance only that instance's.
std::vector<std::unique_ptr<emu::LoopbackEmulator>> StartEmulatedDevices(
    const cli::CliOptions& options) {
    std::vector<std::unique_ptr<emu::LoopbackEmulator>> devices;
    const int first = options.instance != 0 ? options.instance : 1;
    const int last = options.instance != 0 ? options.instance : options.emulateCount;
    for (int instance = first; instance <= last; ++instance) {
        emu::EmulatorSettings settings;
        if (options.faultInstance == 0 || options.faultInstance == instance) {
            std::string error;
            // The rules were checked when the command line was read.
            emu::ParseFaultScript(options.faultRules, settings.faults, error);
        }
        devices.push_back(
            std::make_unique<emu::LoopbackEmulator>(settings, cli::EmulatedDeviceName(instance)));
    }
    return devices;
}

// --instance N claims exactly N; otherwise the lowest free number. 0 when none was claimed.
int ClaimInstance(const cli::CliOptions& options, os::InstanceLock& lock) {
    if (options.instance == 0) {
        return ClaimInstanceNumber(lock);
    }
    return lock.TryClaim(InstanceName(options.instance)) ? options.instance : 0;
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
    // With --json the events alone go to standard output.
    std::FILE* const human = options.json ? stderr : stdout;
    // Held until the program ends: a dialog copy beside this one then picks another device.
    os::InstanceLock lock;
    const int instance = ClaimInstance(options, lock);
    if (instance == 0) {
        Write(stderr, "kt73b-update: " +
                          (options.instance == 0 ? InstanceLimitMessage()
                                                 : "instance " + std::to_string(options.instance) +
                                                       " is held by another program.") +
                          "\n");
        return static_cast<int>(ExitStatus::kInstanceLimit);
    }
    if (instance > 1 && options.instance == 0) {
        Write(human, "This is copy " + std::to_string(instance) +
                         " of the updater: its default ports are those named for copy " +
                         std::to_string(instance) + " (\"NAME (" + std::to_string(instance) +
                         ")\").\n");
    }
    const ui::ConsoleInfo console = ui::StandardOutputConsole();
    cli::UpdateSession session(
        {options.list, options.in, options.out, options.emulate, cli::EmulatedDeviceName(instance)},
        {[human](std::string_view text) { Write(human, text); },
         [](std::string_view text) { Write(stderr, text); }, console.terminal && !options.json,
         console.width});
    cli::JsonEvents json(
        instance, [](std::string_view text) { Write(stdout, text); }, session);
    ui::TerminalBackend backend(session);
    // Before any other thread exists: Ctrl-C then ends the dialog as Exit would.
    ui::StopSignals stopSignals([&backend] { backend.Interrupt(); });
    const auto devices = options.emulate ? StartEmulatedDevices(options)
                                         : std::vector<std::unique_ptr<emu::LoopbackEmulator>>{};
    const auto start = std::chrono::steady_clock::now();
    ui::SetBackend(&backend);
    {
        CTn8UpdatorDlg dialog(instance);
        dialog.SetRunObserver(options.json ? static_cast<RunObserver*>(&json) : &session);
        dialog.DoModal();
    }  // the worker, if one still runs, is joined here
    ui::SetBackend(nullptr);
    winmm::EndDriverThreads();
    if (options.json && !options.list) {
        const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
        Write(stdout,
              cli::FinalObject({instance, session.ChosenIn(), session.ChosenOut(), json.Result(),
                                static_cast<int>(session.Outcome()), json.Step(), spent.count()}));
    }
    return static_cast<int>(session.Outcome());
}

int RunAll(const cli::CliOptions& options, const char* argv0) {
    const ui::ConsoleInfo console = ui::StandardOutputConsole();
    std::FILE* const human = options.json ? stderr : stdout;
    const cli::AllOutput output{[](std::string_view text) { Write(stdout, text); },
                                [human](std::string_view text) { Write(human, text); },
                                console.terminal && !options.json, console.width};
    const ExitStatus status = cli::UpdateAllDevices(options, cli::OwnProgramPath(argv0), output);
    winmm::EndDriverThreads();  // the devices were listed here too
    return static_cast<int>(status);
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
    return options.all ? RunAll(options, argv[0]) : Run(options);
}
