#include "app/cli/all_devices.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <vector>

#include "app/cli/child_process.h"
#include "app/cli/device_board.h"
#include "app/cli/device_discovery.h"
#include "app/cli/exit_status.h"
#include "app/cli/json_events.h"
#include "app/instance_numbering.h"
#include "platform/os/instance_lock.h"
#include "platform/ui/terminal/stop_signals.h"
#include "resources/ui/resource_ids.h"
#include "resources/ui/ui_resources.h"

namespace kt73b::cli {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPollInterval = std::chrono::milliseconds(100);

struct Job {
    DeviceEnd end;
    std::unique_ptr<ChildProcess> child;  // null for a device that is not updated
    Clock::time_point start;
    bool running = false;  // its copy has been started and its output has not ended
};

// Another program (a dialog copy, another kt73b-update) holding the number keeps the device.
bool InstanceIsFree(int instance) {
    os::InstanceLock probe;
    if (!probe.TryClaim(InstanceName(instance))) {
        return false;
    }
    probe.Release();
    return true;
}

std::vector<std::string> CopyArguments(const CliOptions& options, const std::string& program,
                                       int instance) {
    std::vector<std::string> args = {program, "--instance", std::to_string(instance), "--json"};
    if (options.emulate) {
        args.emplace_back("--emulate");
        if (!options.faultRules.empty() &&
            (options.faultInstance == 0 || options.faultInstance == instance)) {
            args.insert(args.end(), {"--fault", options.faultRules});
        }
    }
    if (!options.firmwareFolder.empty()) {
        args.insert(args.end(), {"--firmware", options.firmwareFolder});
    }
    return args;
}

std::vector<FoundDevice> DevicesToUpdate(const CliOptions& options) {
    if (!options.emulate) {
        return FindDevices(MidiInNames(), MidiOutNames());
    }
    std::vector<std::string> names;
    for (int instance = 1; instance <= options.emulateCount; ++instance) {
        names.push_back(EmulatedDeviceName(instance));
    }
    return FindDevices(names, names);
}

// A device not updated, with why.
void Leave(Job& job, std::string result, ExitStatus status) {
    job.end.result = std::move(result);
    job.end.exitStatus = static_cast<int>(status);
}

Job Prepare(const FoundDevice& device, const CliOptions& options, const std::string& program) {
    Job job;
    job.end.device = device.instance;
    job.end.in = device.in;
    job.end.out = device.out;
    job.start = Clock::now();
    const std::string number = std::to_string(device.instance);
    if (device.in.empty() || device.out.empty()) {
        Leave(job,
              "not updated: only its MIDI " + std::string(device.in.empty() ? "OUT" : "IN") +
                  " was found",
              ExitStatus::kNoSuchPort);
    } else if (!InstanceIsFree(device.instance)) {
        Leave(job, "skipped: instance " + number + " is held by another program",
              ExitStatus::kInstanceLimit);
    } else {
        job.child = ChildProcess::Start(CopyArguments(options, program, device.instance));
        job.running = job.child != nullptr;
        if (!job.running) {
            Leave(job, "not updated: its copy of the updater could not be started",
                  ExitStatus::kOtherFailure);
        }
    }
    return job;
}

class AllRun {
  public:
    AllRun(const CliOptions& options, const AllOutput& output)
        : options_(options), output_(output), board_(output.human, output.terminal, output.width) {}

    ExitStatus Run(const std::string& program, const std::atomic<bool>& stop);

  private:
    void Follow(Job& job, const std::string& line);
    void Ended(Job& job);
    void PrintSummary() const;

    const CliOptions& options_;
    const AllOutput& output_;
    DeviceBoard board_;
    std::vector<Job> jobs_;
};

ExitStatus AllRun::Run(const std::string& program, const std::atomic<bool>& stop) {
    for (const FoundDevice& device : DevicesToUpdate(options_)) {
        jobs_.push_back(Prepare(device, options_, program));
        if (jobs_.back().child) {
            board_.Add(device.instance);
        }
    }
    if (jobs_.empty()) {
        output_.human(
            "kt73b-update: no MIDI IN or MIDI OUT carries the names of any instance's device. "
            "Connect the KT-73B and start it in its firmware update mode; --emulate N updates "
            "emulated devices.\n");
        return ExitStatus::kNoSuchPort;
    }
    bool stopSent = false;
    for (std::vector<ChildProcess*> running;; running.clear()) {
        for (Job& job : jobs_) {
            if (job.running) {
                running.push_back(job.child.get());
            }
        }
        if (running.empty()) {
            break;
        }
        if (stop && !stopSent) {
            std::for_each(running.begin(), running.end(), [](ChildProcess* c) { c->Interrupt(); });
            stopSent = true;
        }
        WaitForOutput(running, kPollInterval);
        for (Job& job : jobs_) {
            if (!job.running) {
                continue;
            }
            std::vector<std::string> lines;
            const bool open = job.child->TakeLines(lines);
            for (const std::string& line : lines) {
                Follow(job, line);
            }
            if (!open) {
                Ended(job);
            }
        }
    }
    board_.Finish();
    PrintSummary();
    for (const Job& job : jobs_) {
        if (options_.json) {
            output_.json(FinalObject(job.end));
        }
    }
    const bool allCompleted = std::all_of(jobs_.begin(), jobs_.end(),
                                          [](const Job& job) { return job.end.exitStatus == 0; });
    if (allCompleted) {
        return ExitStatus::kCompleted;
    }
    return stop ? ExitStatus::kInterrupted : ExitStatus::kSomeDevicesFailed;
}

// One line of a copy's output: its events go on to the board and, with --json, out; its own
// final object is replaced by this process's, which knows the ports and the time.
void AllRun::Follow(Job& job, const std::string& line) {
    const auto event = nlohmann::json::parse(line, nullptr, false);
    if (!event.is_object()) {
        return;
    }
    const std::string kind = event.value("event", "");
    if (kind == "final") {
        return;
    }
    if (options_.json) {
        output_.json(line + "\n");
    }
    if (kind == "failed" && event.value("ends_run", false) && job.end.result.empty()) {
        job.end.result = event.value("text", "");
    } else if (kind == "completed") {
        job.end.result = res::LoadString(IDS_UPDATE_COMPLETED);
    }
    board_.Apply(job.end.device, event, Clock::now());
}

void AllRun::Ended(Job& job) {
    job.running = false;
    const int status = job.child->Wait();
    job.end.exitStatus = status < 0 ? static_cast<int>(ExitStatus::kOtherFailure) : status;
    job.end.step = board_.StepOf(job.end.device);
    job.end.seconds =
        std::max(std::chrono::duration<double>(Clock::now() - job.start).count(), 0.001);
    if (status == static_cast<int>(ExitStatus::kInterrupted)) {
        job.end.result = "interrupted in step " + std::to_string(job.end.step) + " (" +
                         board_.StatusOf(job.end.device) + ")";
    } else if (status == static_cast<int>(ExitStatus::kInstanceLimit)) {
        job.end.result = "skipped: instance " + std::to_string(job.end.device) +
                         " was taken by another program as its copy started";
    } else if (job.end.result.empty()) {
        job.end.result = InfoFor(static_cast<ExitStatus>(job.end.exitStatus)).meaning;
    }
}

std::string Ports(const DeviceEnd& end) {
    if (end.in == end.out) {
        return end.in;
    }
    return "IN " + (end.in.empty() ? "(none)" : end.in) + " / OUT " +
           (end.out.empty() ? "(none)" : end.out);
}

std::string Time(double seconds) {
    const auto whole = static_cast<long long>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    return text;
}

std::string Padded(std::string text, std::size_t width) {
    text.resize(std::max(text.size(), width), ' ');
    return text;
}

void AllRun::PrintSummary() const {
    std::size_t portsWidth = 5;
    std::size_t resultWidth = 6;
    for (const Job& job : jobs_) {
        portsWidth = std::max(portsWidth, Ports(job.end).size());
        resultWidth = std::max(resultWidth, job.end.result.size());
    }
    std::string text = "\nDevice  " + Padded("Ports", portsWidth) + "  " +
                       Padded("Result", resultWidth) + "  Time\n";
    for (const Job& job : jobs_) {
        std::string number = std::to_string(job.end.device);
        text += std::string(6 - number.size(), ' ') + number + "  " +
                Padded(Ports(job.end), portsWidth) + "  " + Padded(job.end.result, resultWidth) +
                "  " + (job.child ? Time(job.end.seconds) : "-") + "\n";
    }
    output_.human(text);
}

}  // namespace

ExitStatus UpdateAllDevices(const CliOptions& options, const std::string& program,
                            const AllOutput& output) {
    // Made before any other thread (finding the devices may start the MIDI system's): the stop
    // thread only sets the flag, which the loop reads and passes on to every copy.
    std::atomic<bool> stop = false;
    ui::StopSignals stopSignals([&stop] { stop = true; });
    AllRun run(options, output);
    return run.Run(program, stop);
}

}  // namespace kt73b::cli
