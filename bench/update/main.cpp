// kt73b-bench-update: whole updates through the updater's dialog against the emulated device,
// each in a process of its own, and what each cost against the model's lower bound. Answers
// are carried both ways in the same run: by the tick alone (as before) and by the wake-up.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "bench/update/bench_settings.h"
#include "bench/update/update_figures.h"
#include "bench/update/update_run.h"

namespace {

using namespace kt73b::bench;

constexpr const char* kUsage =
    "usage: kt73b-bench-update [--settings=zero,fast,slow] [--answers=tick,wake] [--jack]\n"
    "                          [--jack-period=FRAMES]\n"
    "  --settings  the link and device settings to run, over the in-process loopback\n"
    "              (default: all three; an empty list runs none)\n"
    "  --answers   tick: answers wait for the next 50 ms tick (the old receive side);\n"
    "              wake: each answer wakes the receive side (default: both)\n"
    "  --jack      also run the fast setting over a JACK server of its own (jackd -d dummy\n"
    "              -p 64) against the kt73b-emulator program\n"
    "  --jack-period  the JACK server's period in frames at 48 kHz (default 64; a loaded\n"
    "              machine loses fewer messages at 256)\n";

struct Case {
    DeviceSetting setting;
    Delivery delivery;
    Route route;
    std::string label;
};

struct Options {
    std::vector<std::string> settings{"zero", "fast", "slow"};
    std::vector<Delivery> deliveries{Delivery::kTick, Delivery::kWake};
    bool jack = false;
    int jackPeriodFrames = 64;
};

std::vector<std::string> SplitList(std::string_view text) {
    std::vector<std::string> items;
    std::stringstream stream{std::string(text)};
    for (std::string item; std::getline(stream, item, ',');) {
        if (!item.empty()) {
            items.push_back(item);
        }
    }
    return items;
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (word.starts_with("--settings=")) {
            options.settings = SplitList(word.substr(std::strlen("--settings=")));
        } else if (word.starts_with("--answers=")) {
            options.deliveries.clear();
            for (const std::string& name : SplitList(word.substr(std::strlen("--answers=")))) {
                if (name != "tick" && name != "wake") {
                    return false;
                }
                options.deliveries.push_back(name == "tick" ? Delivery::kTick : Delivery::kWake);
            }
        } else if (word == "--help") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else if (word == "--jack") {
            options.jack = true;
        } else if (word.starts_with("--jack-period=")) {
            options.jackPeriodFrames = std::atoi(argv[i] + std::strlen("--jack-period="));
            if (options.jackPeriodFrames <= 0) {
                return false;
            }
        } else {
            return false;
        }
    }
    return true;
}

bool BuildCases(const Options& options, std::vector<Case>& cases) {
    const std::vector<DeviceSetting> all = DeviceSettings();
    for (const std::string& name : options.settings) {
        bool known = false;
        for (const DeviceSetting& setting : all) {
            if (setting.name != name) {
                continue;
            }
            known = true;
            for (const Delivery delivery : options.deliveries) {
                cases.push_back({setting, delivery, Route{}, setting.name});
            }
        }
        if (!known) {
            return false;
        }
    }
    if (options.jack) {
        for (const Delivery delivery : options.deliveries) {
            const Route route{Transport::kJack, options.jackPeriodFrames};
            cases.push_back({all[1], delivery, route,
                             all[1].name + "/jack" + std::to_string(options.jackPeriodFrames)});
        }
    }
    return true;
}

// The run's process writes its figures to the pipe and ends; a process that ends without them
// (a crash) is reported as such.
UpdateFigures RunInChildProcess(const Case& run) {
    int fds[2];
    UpdateFigures figures;
    if (pipe(fds) != 0) {
        std::snprintf(figures.failure, sizeof figures.failure, "no pipe");
        return figures;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const UpdateFigures result = RunWholeUpdate(run.setting, run.delivery, run.route);
        const bool written = write(fds[1], &result, sizeof result) == sizeof result;
        _exit(written ? 0 : 1);
    }
    close(fds[1]);
    if (pid < 0 || read(fds[0], &figures, sizeof figures) != sizeof figures) {
        figures = UpdateFigures{};
        std::snprintf(figures.failure, sizeof figures.failure, "the run's process ended early");
    }
    close(fds[0]);
    if (pid > 0) {
        waitpid(pid, nullptr, 0);
    }
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::vector<Case> cases;
    if (!ParseOptions(argc, argv, options) || !BuildCases(options, cases)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::printf("Whole updates of 1,902 frames (3,895,296 bytes), each in a process of its own.\n");
    for (const DeviceSetting& setting : DeviceSettings()) {
        std::printf("  %-5s %s\n", setting.name.c_str(), setting.description.c_str());
    }
    std::vector<UpdateFigures> results;
    for (const Case& run : cases) {
        std::fprintf(stderr, "running %s with answers by %s...\n", run.label.c_str(),
                     NameOf(run.delivery));
        results.push_back(RunInChildProcess(run));
    }
    std::printf("\n");
    PrintHeading(stdout);
    bool allCompleted = true;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        PrintRow(stdout, cases[i].label.c_str(), NameOf(cases[i].delivery), results[i]);
        allCompleted = allCompleted && results[i].completed;
    }
    return allCompleted ? 0 : 1;
}
