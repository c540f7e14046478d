#include "soak_harness.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <map>

#include "app/append_log.h"
#include "app/log_messages.h"
#include "app/model_byte.h"
#include "engine/inbound_classification.h"
#include "engine/protocol_constants.h"

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

}  // namespace

UpdateTimings SoakTimings() {
    UpdateTimings timings = testing::FastTimings();
    timings.identityTimeout = timings.eraseTimeout = timings.finishTimeout = 600ms;
    timings.writeTimeout = 200ms;
    return timings;
}

void SoakHarness::RunShard(const char* suite, int shard, int shards, std::uint64_t defaultRuns,
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
                          << "\n  run it again alone: KT73B_SOAK_RUNS=1 KT73B_SOAK_SEED=" << seed
                          << " <this test program> --gtest_filter='*" << suite << "*'";
        }
    }
    std::printf("%s shard %d, how the runs ended:", suite, shard);
    for (const auto& [name, count] : tally) {
        std::printf(" %s %d;", name.c_str(), count);
    }
    std::printf("\n");
}

void SoakHarness::Expect(bool kept, const std::string& broken) {
    if (!kept) {
        found_.push_back(broken);
    }
}

// The run's promise: it completed with the flash equal to the images, or its one failure is as
// its row says, or it waits for an update-mode answer that cannot come; nothing after the close.
std::string SoakHarness::RunUpdate(const RunPlan& plan) {
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
        Expect(boxes.empty() && lines.empty(),
               "waits for the update mode after boxes " + Join(boxes) + ", lines " + Join(lines));
    }
    Expect(end != "hung", "neither ended nor waited for an answer that cannot come, in step " +
                              std::to_string(step_.load()));
    CloseAndJudge();
    return end;
}

// The failure names its row: the box and the last log line are the row's, after lines of failing
// answers only. Where each row can end a run is the dialog tests' (failure paths).
void SoakHarness::JudgeFailure(const std::vector<std::string>& boxes,
                               std::vector<std::string> lines) {
    const FailureRow& row = RowFor(*outcome_.Failure());
    const std::string box(FailureText(row));
    Expect(boxes == std::vector{box}, "failed with boxes " + Join(boxes) + ", not \"" + box + "\"");
    const bool rowLineLast =
        row.logEntry == kNoLogEntry || (!lines.empty() && lines.back() == LogText(row.logEntry));
    if (row.logEntry != kNoLogEntry && rowLineLast) {
        lines.pop_back();
    }
    Expect(rowLineLast && OnlyAnswerLines(lines),
           "\"" + box + "\" does not go with the log lines " + Join(lines));
}

std::string SoakHarness::AwaitEnd(std::size_t boxesBefore, const RunPlan& plan) {
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
bool SoakHarness::WaitsForAnAnswerThatCannotCome() {
    bool waits = false;
    device_->WithEmulator([&](emu::Emulator& emulator) {
        const auto& entries = emulator.Log().Entries();
        const auto request = std::find_if(entries.rbegin(), entries.rend(), [](const auto& entry) {
            return entry.direction == emu::Direction::kHostToDevice && entry.bytes.size() > 4 &&
                   entry.bytes[1] == kManufacturerId && entry.bytes[4] == kCommandUpdateMode;
        });
        waits = step_.load() == 0 && !emulator.NextDue() && request != entries.rend() &&
                std::none_of(entries.rbegin(), request, CountsAsAnswer);
    });
    return waits;
}

void SoakHarness::CloseAndJudge() {
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
    Expect(happenings() == before, "message boxes, log lines or events after the dialog closed");
    device_.reset();
}

}  // namespace kt73b::soak
