#include "bench/update/update_run.h"

#include <chrono>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "app/run_outcome.h"
#include "app/updater_dialog.h"
#include "bench/update/allocation_census.h"
#include "bench/update/cpu_time.h"
#include "bench/update/device_work_meter.h"
#ifdef KT73B_BENCH_JACK
#include "bench/update/jack_device.h"
#endif
#include "bench/update/memory_use.h"
#include "bench/update/model_bound.h"
#include "emulator/image_check.h"
#include "emulator/loopback/loopback_emulator.h"
#include "engine/image_set.h"
#include "engine/protocol_constants.h"
#include "engine/step_table.h"
#include "platform/ui/headless/headless_backend.h"
#include "resources/ui/resource_ids.h"
#include "resources/ui/ui_resources.h"

namespace kt73b::bench {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kOpenLimit = 20s;
constexpr auto kUpdateLimit = std::chrono::hours(1);

// The headless back end, noting which thread makes the dialog's control calls from outside:
// that is the update's worker.
class WorkerNamingBackend final : public ui::HeadlessBackend {
  public:
    void WakeDialogThread() override {
        NameThisThreadIfUnnamed(ThreadPart::kWorker);
        HeadlessBackend::WakeDialogThread();
    }
};

struct Snapshot {
    Clock::time_point wall;
    double process = 0;      // CPU seconds
    double benchThread = 0;  // CPU seconds of this thread, which only waits for the outcome
    double device = 0;       // CPU seconds of the in-process device's own work
    CpuTime split;
    AllocationCounts allocations;
};

Snapshot Take(const DeviceWorkMeter& meter) {
    return {Clock::now(),           ProcessCpuSeconds(),
            ThisThreadCpuSeconds(), meter.DeviceCpuSeconds(),
            ProcessCpuSplit(),      CountAllocations()};
}

std::uint32_t WriteFrames() {
    std::uint32_t frames = 0;
    for (const StepRow& row : kStepTable) {
        if (row.type == kStepWrite) {
            frames += row.size / kWriteChunkBytes;
        }
    }
    return frames;
}

long ImageKiB() {
    std::size_t bytes = 0;
    for (const std::uint32_t id : {kImageLow, kImageMiddle, kImageHigh}) {
        bytes += LookupImage(id).size();
    }
    return static_cast<long>(bytes / 1024);
}

// What the emulator holds: its flash and every message it logged, as allocated.
long EmulatorKiB(const emu::Emulator& emulator) {
    const auto& entries = emulator.Log().Entries();
    std::size_t bytes =
        emulator.Device().Flash().Size() + entries.capacity() * sizeof(emu::LogEntry);
    for (const emu::LogEntry& entry : entries) {
        bytes += entry.bytes.capacity() + entry.note.capacity();
    }
    return static_cast<long>(bytes / 1024);
}

UpdateFigures Failed(UpdateFigures figures, const std::string& why) {
    figures.completed = false;
    std::snprintf(figures.failure, sizeof figures.failure, "%s", why.c_str());
    return figures;
}

// Empty once the run has completed; the text of the failure that ended it otherwise.
std::optional<std::string> WaitForOutcome(RunOutcome& outcome) {
    switch (outcome.WaitForEnd(kUpdateLimit)) {
        case RunOutcome::End::kRunning:
            return std::nullopt;
        case RunOutcome::End::kCompleted:
            return std::string();
        case RunOutcome::End::kFailed:
            break;
    }
    return std::string(FailureText(RowFor(*outcome.Failure())));
}

void FillCosts(UpdateFigures& figures, const Snapshot& before, const Snapshot& after) {
    const std::chrono::duration<double> wall = after.wall - before.wall;
    figures.wallSeconds = wall.count();
    const double device = after.device - before.device;
    const double updater =
        (after.process - before.process) - (after.benchThread - before.benchThread) - device;
    // The updater's exact total, split as the kernel split the process's time.
    const CpuTime split = after.split - before.split;
    const double userShare = split.Total() > 0 ? split.user / split.Total() : 0;
    figures.updaterUser = updater * userShare;
    figures.updaterSystem = updater - figures.updaterUser;
    figures.deviceCpu = device;
    const AllocationCounts counts = after.allocations - before.allocations;
    const double frames = WriteFrames();
    figures.sendAllocationsPerFrame = static_cast<double>(counts.Of(ThreadPart::kWorker)) / frames;
    figures.receiveAllocationsPerFrame =
        static_cast<double>(counts.Of(ThreadPart::kReceive) + counts.Of(ThreadPart::kDevice)) /
        frames;
    figures.uiAllocationsPerFrame = static_cast<double>(counts.Of(ThreadPart::kUi)) / frames;
}

}  // namespace

UpdateFigures RunWholeUpdate(const DeviceSetting& setting, Delivery delivery, const Route& route) {
    NameThisThread(ThreadPart::kBench);
    UpdateFigures figures;
    const UpdateTimings timings = TimingsFor(delivery);
    const std::chrono::duration<double> bound = ModelLowerBound(setting.emulator, timings);
    figures.boundSeconds = bound.count();
    figures.imageKiB = ImageKiB();

    DeviceWorkMeter meter;
    std::unique_ptr<emu::LoopbackEmulator> loopbackDevice;
#ifdef KT73B_BENCH_JACK
    std::unique_ptr<JackDevice> jackDevice;
    if (route.transport == Transport::kJack) {
        std::string whyNot;
        // The device is another process's: placeholder images go to it only when chosen on
        // purpose, as the build's image folder.
        ImageSet chosen;
        if (!ReadImageFolder(KT73B_IMAGE_DIR, chosen, whyNot)) {
            return Failed(figures, whyNot);
        }
        UseImageSet(chosen);
        jackDevice = JackDevice::Start(setting.emulator, route.jackPeriodFrames, &whyNot);
        if (jackDevice == nullptr) {
            return Failed(figures, whyNot);
        }
    } else {
#else
    if (route.transport == Transport::kJack) {
        return Failed(figures, "this build has no JACK harness: configure it with the tests");
    } else {
#endif
        loopbackDevice = std::make_unique<emu::LoopbackEmulator>(setting.emulator,
                                                                 emu::kLoopbackDeviceName, &meter);
    }

    WorkerNamingBackend backend;
    ui::SetBackend(&backend);
    std::optional<std::string> outcome;
    RunOutcome runOutcome;
    Snapshot before;
    Snapshot after;
    {
        CTn8UpdatorDlg dialog(1, timings);
        dialog.SetRunObserver(&runOutcome);
        std::thread dialogThread([&dialog] {
            NameThisThread(ThreadPart::kUi);
            dialog.DoModal();
        });
        const bool opened = backend.WaitUntil(
            [](const ui::HeadlessBackend& b) {
                const auto* window = b.FindWindowLocked(IDD_UPDATER_DIALOG);
                return window != nullptr && !window->title.empty();
            },
            kOpenLimit);
        if (opened) {
            before = Take(meter);
            backend.Click(IDD_UPDATER_DIALOG, ui::kIdOk);
            outcome = WaitForOutcome(runOutcome);
            after = Take(meter);
            // While the ports are open: JACK's segments go with its client.
            figures.sharedKiB = SharedResidentKiB();
        }
        backend.CloseWindow(IDD_UPDATER_DIALOG);
        dialogThread.join();
        if (!opened) {
            ui::SetBackend(nullptr);
            return Failed(figures, "the dialog did not open");
        }
    }
    ui::SetBackend(nullptr);
    if (!outcome) {
        return Failed(figures, "no outcome within an hour");
    }
    if (!outcome->empty()) {
        return Failed(figures, "the update failed: " + *outcome);
    }
    std::string difference;
    if (loopbackDevice != nullptr) {
        loopbackDevice->WithEmulator([&](emu::Emulator& emulator) {
            difference = emu::CompareFlashWithImages(emulator.Device().Flash(), &LookupImage);
            figures.emulatorKiB = EmulatorKiB(emulator);
        });
    } else {
#ifdef KT73B_BENCH_JACK
        difference = jackDevice->FlashVersusImages(kOpenLimit);
#endif
    }
    if (!difference.empty()) {
        return Failed(figures, "completed, but the flash differs: " + difference);
    }
    figures.completed = true;
    FillCosts(figures, before, after);
    figures.peakResidentKiB = PeakResidentKiB();
    return figures;
}

}  // namespace kt73b::bench
