// Whole updates of the headless dialog against the emulated device, each drawn from a seed and
// judged by the run's events against what the user was shown; the dialog closes after each.
// KT73B_SOAK_RUNS and KT73B_SOAK_SEED choose the runs, so a failing seed can be run again alone.
// FaultSoak: a fault script drawn from each seed; every run completes with the images, or ends
// with one failure as its row says, or waits for an update-mode answer that cannot come. Each
// row's own script is tests/dialog's (failure paths).
// RandomClosing: the user closes the dialog in the identity wait, the unbounded update-mode
// wait, an erase, any chunk, a retry pause, while a message box shows, or after the end; the
// worker must end, and nothing may follow the close (the sanitizer builds watch for touches).
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <string>
#include <vector>

#include "app/append_log.h"
#include "app/log_messages.h"
#include "app/model_byte.h"
#include "app/run_outcome.h"
#include "engine/inbound_classification.h"
#include "engine/protocol_constants.h"
#include "fault_draw.h"
#include "tests/dialog/dialog_fixture.h"

namespace kt73b::soak {
namespace {

using namespace std::chrono_literals;

std::uint64_t FromEnvironment(const char* name, std::uint64_t fallback) {
    const char* text = std::getenv(name);  // decimal or 0x...
    return text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 0) : fallback;
}

// What the receive side would take as an answer, with the host's model byte as it is now.
bool CountsAsAnswer(const emu::LogEntry& entry) {
    const auto kind = ClassifyInbound(entry.bytes.data(), entry.bytes.size(), ModelByte()).kind;
    return entry.direction == emu::Direction::kDeviceToHost &&
           (kind == InboundKind::kReplyStatus || kind == InboundKind::kReportedModel);
}

std::string LogText(int entry) {
    return kLogMessages[static_cast<std::size_t>(entry)];
}

// Only the lines a write step leaves for each failing answer, on the way to any end.
bool OnlyAnswerLines(const std::vector<std::string>& lines) {
    return std::all_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line == LogText(kLogCrcError) || line == LogText(kLogFlashWriteError);
    });
}

std::string Join(const std::vector<std::string>& texts) {
    return ::testing::PrintToString(texts);
}

// Shortened time-outs: a run with several of them still takes about a second.
UpdateTimings SoakTimings() {
    UpdateTimings timings = testing::FastTimings();
    timings.identityTimeout = timings.eraseTimeout = timings.finishTimeout = 600ms;
    timings.writeTimeout = 200ms;
    return timings;
}

class SoakHarness : public testing::DialogTest, private RunObserver {
  protected:
    // Runs shard `shard` of `shards` of the soak's seeds, each as `draw` plans it; reports every
    // broken promise with its seed and how to run it alone, then how the runs ended.
    void RunShard(const char* suite, int shard, int shards, std::uint64_t defaultRuns,
                  const std::function<RunPlan(std::uint64_t)>& draw) {
        const std::uint64_t runs = FromEnvironment("KT73B_SOAK_RUNS", defaultRuns);
        const std::uint64_t firstSeed = FromEnvironment("KT73B_SOAK_SEED", 1);
        std::map<std::string, int> tally;
        for (auto run = static_cast<std::uint64_t>(shard); run < runs; run += shards) {
            const std::uint64_t seed = firstSeed + run;
            const RunPlan plan = draw(seed);
            found_.clear();
            ++tally[RunUpdate(plan)];
            ASSERT_FALSE(HasFatalFailure()) << "seed " << seed << ": the run could not start";
            tally["broke the promise"] += found_.empty() ? 0 : 1;
            for (const auto& broken : found_) {
                ADD_FAILURE() << "seed " << seed << ", faults \"" << plan.rules << "\": " << broken
                              << "\n  run it again alone: KT73B_SOAK_RUNS=1 KT73B_SOAK_SEED="
                              << seed << " <this test program> --gtest_filter='*" << suite << "*'";
            }
        }
        std::printf("%s shard %d, how the runs ended:", suite, shard);
        for (const auto& [name, count] : tally) {
            std::printf(" %s %d;", name.c_str(), count);
        }
        std::printf("\n");
    }

  private:
    // The run's promise: it completed with the flash equal to the images, or its one failure is as
    // its row says, or it waits for an update-mode answer that cannot come; nothing after the
    // close. Returns the name of its end, for the tally.
    std::string RunUpdate(const RunPlan& plan) {
        // Each run starts as a fresh process would: model byte, family code, an empty log file.
        SetModelByte(0x57);
        SetHostIdentityFamily(0);
        std::filesystem::remove(kLogFileName);
        CreateLogFile();
        backend_.SetBoxPolicy(plan.closeWhileBoxShows
                                  ? ui::HeadlessBackend::BoxPolicy::kHoldUntilDismissed
                                  : ui::HeadlessBackend::BoxPolicy::kDismissAtOnce);
        const std::size_t boxesBefore = backend_.MessageBoxes().size();
        StartDevice(plan.rules);
        step_ = -1;  // no dialog is open to report
        events_ = 0;
        outcome_.Reset();
        auto dialog = std::make_unique<CTn8UpdatorDlg>(1, SoakTimings());
        dialog->SetRunObserver(this);
        OpenDialog(std::move(dialog));
        Execute();
        if (HasFatalFailure()) {  // no window or no device: the soak cannot go on
            return "not started";
        }
        std::string end = AwaitEnd(boxesBefore, plan);
        std::vector<std::string> boxes = BoxTexts();
        boxes.erase(boxes.begin(), boxes.begin() + static_cast<std::ptrdiff_t>(boxesBefore));
        const std::vector<std::string> lines = LogTexts();
        const bool executeBack = Control(ui::kIdOk).enabled;
        const bool othersBack = Control(IDC_MIDI_IN_LIST).enabled &&
                                Control(IDC_MIDI_OUT_LIST).enabled && Control(IDC_RESCAN).enabled;
        if (end == "completed") {
            // A late copy of the last chunk's answer can complete the run before the device has
            // taken its finish request.
            WaitForRequests(emu::RequestKind::kFinish, 1);
            const std::string difference = FlashVersusImages();
            Expect(difference.empty(), "completed, but " + difference);
            Expect(boxes.empty() && OnlyAnswerLines(lines) && !executeBack && othersBack,
                   "completed, but with boxes " + Join(boxes) + ", log lines " + Join(lines) +
                       " or the controls not as it leaves them");
        } else if (end == "failed") {
            end = FailureKindName(*outcome_.Failure());
            Expect((executeBack && othersBack) == RowFor(*outcome_.Failure()).restoresControls,
                   "the controls are not as \"" + end + "\" leaves them");
            JudgeFailure(boxes, lines);
        } else if (end == "waiting for the update mode") {
            Expect(boxes.empty() && lines.empty(), "waits for the update mode after boxes " +
                                                       Join(boxes) + ", lines " + Join(lines));
        }
        Expect(end != "hung", "neither ended nor waited for an answer that cannot come, in step " +
                                  std::to_string(step_.load()));
        CloseAndJudge();
        return end;
    }
    // How the run ended: "completed", "failed", "waiting for the update mode", "closed during
    // the run" or "hung".
    std::string AwaitEnd(std::size_t boxesBefore, const RunPlan& plan) {
        const bool closesEarly = plan.closeAfterRequests != RunPlan::kAtTheEnd;
        // A moment given by the request count is looked for often, so the close comes close to it.
        const auto slice = closesEarly ? 1ms : 50ms;
        for (const auto deadline = std::chrono::steady_clock::now() + 180s;
             std::chrono::steady_clock::now() < deadline;) {
            // Wakes at the run's end; every slice it looks whether the run waits for good.
            const RunOutcome::End end = outcome_.WaitForEnd(slice);
            if (end != RunOutcome::End::kRunning) {
                return end == RunOutcome::End::kCompleted ? "completed" : "failed";
            }
            std::uint32_t requests = 0;
            for (std::size_t kind = 0; closesEarly && kind < emu::kRequestKindCount; ++kind) {
                requests += RequestCount(static_cast<emu::RequestKind>(kind));
            }
            if ((closesEarly && requests >= plan.closeAfterRequests) ||
                (plan.closeWhileBoxShows && backend_.MessageBoxes().size() > boxesBefore)) {
                return "closed during the run";
            }
            if (WaitsForAnAnswerThatCannotCome()) {
                return "waiting for the update mode";
            }
        }
        return "hung";
    }
    // The update-mode wait has no time-out: when the device has received the request, has nothing
    // more under way and has sent nothing since that the host takes as an answer, the run waits for
    // good, and only closing the dialog ends it.
    bool WaitsForAnAnswerThatCannotCome() {
        bool waits = false;
        device_->WithEmulator([&](emu::Emulator& emulator) {
            const auto& entries = emulator.Log().Entries();
            const auto request =
                std::find_if(entries.rbegin(), entries.rend(), [](const auto& entry) {
                    return entry.direction == emu::Direction::kHostToDevice &&
                           entry.bytes.size() > 4 && entry.bytes[1] == kManufacturerId &&
                           entry.bytes[4] == kCommandUpdateMode;
                });
            waits = step_.load() == 0 && !emulator.NextDue() && request != entries.rend() &&
                    std::none_of(entries.rbegin(), request, CountsAsAnswer);
        });
        return waits;
    }
    // The failure names its row: the box and the last log line are the row's, after lines of
    // failing answers only. Where each row can end a run is the dialog tests' (failure paths).
    void JudgeFailure(const std::vector<std::string>& boxes, std::vector<std::string> lines) {
        const FailureRow& row = RowFor(*outcome_.Failure());
        const std::string box(FailureText(row));
        Expect(boxes == std::vector{box},
               "failed with boxes " + Join(boxes) + ", not \"" + box + "\"");
        const bool rowLineLast = row.logEntry == kNoLogEntry ||
                                 (!lines.empty() && lines.back() == LogText(row.logEntry));
        if (row.logEntry != kNoLogEntry && rowLineLast) {
            lines.pop_back();
        }
        Expect(rowLineLast && OnlyAnswerLines(lines),
               "\"" + box + "\" does not go with the log lines " + Join(lines));
    }
    void CloseAndJudge() {
        // What the worker reports before the window has gone is a run that ended as the user closed
        // it; counted from the moment the window is gone, nothing may follow.
        constexpr auto kCloseBound = 30s;
        auto closed = std::async(std::launch::async, [this] { CloseDialog(); });
        backend_.WaitUntil(
            [](const ui::HeadlessBackend& b) {
                return b.FindWindowLocked(IDD_UPDATER_DIALOG) == nullptr;
            },
            kCloseBound);
        const auto happenings = [this] {
            return backend_.MessageBoxes().size() + LogTexts().size() + events_.load();
        };
        const std::size_t before = happenings();
        if (closed.wait_for(kCloseBound) != std::future_status::ready) {
            // The dialog thread cannot be got back: nothing after this could be trusted.
            ADD_FAILURE() << "the worker did not end within " << kCloseBound.count()
                          << " s of closing the dialog; stopping the soak";
            std::fflush(stdout);
            std::abort();
        }
        Expect(happenings() == before,
               "message boxes, log lines or events after the dialog closed");
        device_.reset();
    }
    void Expect(bool kept, const std::string& broken) {
        if (!kept) {
            found_.push_back(broken);
        }
    }

    // The run's events arrive on the dialog's thread; the test's thread reads the atomics.
    void StepStarted(int step) override {
        step_ = step;
        ++events_;
    }
    void ProgressMoved(std::uint32_t, std::uint32_t) override { ++events_; }
    void StatusTextSet(std::string_view) override { ++events_; }
    void Failed(FailureKind kind) override {
        ++events_;
        outcome_.Failed(kind);
    }
    void Completed() override {
        ++events_;
        outcome_.Completed();
    }

    std::atomic<int> step_{-1};  // 0: the handshake
    std::atomic<std::size_t> events_{0};
    RunOutcome outcome_;              // the one rule of when the run has ended
    std::vector<std::string> found_;  // the broken promises of the current run
};

// A run without faults sends 1 + 1 + 3 + 1,902 + 1 requests.
constexpr std::uint32_t kRequestsInARun = 1908;

RunPlan ClosingPlan(std::uint64_t seed) {
    SoakRandom random(seed ^ 0x5A5A5A5A5A5A5A5Aull);
    const std::size_t moment = random.Weighted(std::array{15u, 15u, 55u, 15u});
    if (moment == 1) {  // while the message box of a run failing in the handshake or a write
        return {random.Percent(50) ? "identity=status:5" : "write#9-15=status:8",
                RunPlan::kAtTheEnd, true};
    }
    // In the handshake or the first erase, or anywhere, with the faults the draw brings; or in
    // the re-sends of chunks that failing answers refuse, where the close may fall in a pause.
    RunPlan plan = moment == 3
                       ? RunPlan{"write#" + std::to_string(random.Between(1, 1800)) + "+=status:8"}
                       : DrawFaults(seed, SoakTimings());
    plan.closeAfterRequests =
        static_cast<std::uint32_t>(random.Between(0, moment == 0 ? 4 : kRequestsInARun));
    return plan;
}

// Shards let CTest run parts of a soak side by side; each is one test case. The run counts are
// the build's (CMakeLists.txt) unless KT73B_SOAK_RUNS is set.
class FaultSoak : public SoakHarness, public ::testing::WithParamInterface<int> {};
class RandomClosing : public SoakHarness, public ::testing::WithParamInterface<int> {};

TEST_P(FaultSoak, EveryRunCompletesWithTheImagesOrEndsAsItsFailureRowSays) {
    RunShard("FaultSoak", GetParam(), 4, KT73B_FAULT_SOAK_RUNS,
             [](std::uint64_t seed) { return DrawFaults(seed, SoakTimings()); });
}

TEST_P(RandomClosing, TheWorkerEndsAndNothingFollowsTheClose) {
    RunShard("RandomClosing", GetParam(), 2, KT73B_CLOSING_RUNS, ClosingPlan);
}

INSTANTIATE_TEST_SUITE_P(Shards, FaultSoak, ::testing::Range(0, 4));
INSTANTIATE_TEST_SUITE_P(Shards, RandomClosing, ::testing::Range(0, 2));

}  // namespace
}  // namespace kt73b::soak
