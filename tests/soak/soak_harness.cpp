#include "soak_harness.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <thread>

#include "app/append_log.h"
#include "app/model_byte.h"
#include "engine/inbound_classification.h"
#include "engine/protocol_constants.h"
#include "soak_settings.h"
#include "soak_tally.h"

namespace kt73b::soak {

namespace {

bool IsUpdateModeRequest(const std::vector<std::uint8_t>& bytes) {
    return bytes.size() > 4 && bytes[0] == kSysExStart && bytes[1] == kManufacturerId &&
           bytes[4] == kCommandUpdateMode;
}

bool IsFinishRequest(const std::vector<std::uint8_t>& bytes) {
    return bytes.size() > 4 && bytes[0] == kSysExStart && bytes[1] == kManufacturerId &&
           bytes[4] == kCommandFinish;
}

bool IsAnswerWithStatus(const std::vector<std::uint8_t>& bytes, std::uint8_t status) {
    return bytes.size() > 5 && bytes[0] == kSysExStart && bytes[1] == kManufacturerId &&
           bytes[4] == kCommandReply && bytes[5] == status;
}

// What the receive side would take as an answer, with the host's model byte as it is now.
bool CountsAsAnswer(const std::vector<std::uint8_t>& bytes) {
    const InboundKind kind = ClassifyInbound(bytes.data(), bytes.size(), ModelByte()).kind;
    return kind == InboundKind::kReplyStatus || kind == InboundKind::kReportedModel;
}

}  // namespace

UpdateTimings SoakTimings() {
    UpdateTimings timings = testing::FastTimings();
    timings.identityTimeout = 600ms;
    timings.eraseTimeout = 600ms;
    timings.finishTimeout = 600ms;
    timings.writeTimeout = 200ms;
    return timings;
}

FaultDrawTimings SoakDrawTimings() {
    const UpdateTimings timings = SoakTimings();
    return {timings.writeTimeout, timings.identityTimeout, timings.retryPause};
}

void SoakHarness::RunShard(const std::string& suite, const std::string& title, int shard,
                           int shards, std::uint64_t defaultRuns,
                           const std::function<RunPlan(std::uint64_t)>& draw) {
    const SoakSettings settings = ReadSoakSettings(defaultRuns);
    SoakTally tally;
    for (std::uint64_t run = 0; run < settings.runs; ++run) {
        if (!InShard(run, shard, shards)) {
            continue;
        }
        const std::uint64_t seed = settings.firstSeed + run;
        const RunPlan plan = draw(seed);
        const auto start = std::chrono::steady_clock::now();
        const RunRecord record = RunUpdate(plan.rules, plan.close);
        ASSERT_FALSE(HasFatalFailure()) << "seed " << seed << ": the run could not start";
        const auto violations = Violations(record);
        tally.Add(plan.tallied, record, std::chrono::steady_clock::now() - start,
                  violations.empty());
        for (const auto& violation : violations) {
            ADD_FAILURE() << "seed " << seed << ", faults \"" << plan.rules << "\", "
                          << (plan.closing.empty() ? RunEndName(record.end) : plan.closing) << ": "
                          << violation << "\n  " << RerunHint(seed, "Shards/" + suite);
        }
    }
    std::printf("%s", tally.Report(title + ", shard " + std::to_string(shard)).c_str());
}

void SoakHarness::StartRun(const std::string& faultRules, const CloseMoment& close) {
    // Each run starts as a fresh process would: model byte, family code, an empty log file.
    SetModelByte(0x57);
    SetHostIdentityFamily(0);
    std::filesystem::remove(kLogFileName);
    CreateLogFile();
    backend_.SetBoxPolicy(close.whileBoxShows ? ui::HeadlessBackend::BoxPolicy::kHoldUntilDismissed
                                              : ui::HeadlessBackend::BoxPolicy::kDismissAtOnce);
    StartDevice(faultRules);
    outcome_.Reset();
    auto dialog = std::make_unique<CTn8UpdatorDlg>(1, SoakTimings());
    dialog->SetRunObserver(&outcome_);
    OpenDialog(std::move(dialog));
    Execute();
}

RunRecord SoakHarness::RunUpdate(const std::string& faultRules, CloseMoment close) {
    const std::size_t boxesBefore = backend_.MessageBoxes().size();
    StartRun(faultRules, close);
    RunRecord record;
    if (HasFatalFailure()) {  // no window or no device: the soak cannot go on
        return record;
    }
    record.end = AwaitEnd(boxesBefore, close);
    RecordWindow(record, boxesBefore);
    RecordDevice(record);
    CloseAndRecord(record);
    return record;
}

RunEnd SoakHarness::AwaitEnd(std::size_t boxesBefore, const CloseMoment& close) {
    const bool closesEarly = close.afterRequests != CloseMoment::kAtTheEnd;
    // A moment given by the request count is looked for often, so the close comes close to it.
    const auto slice = closesEarly ? 1ms : 50ms;
    const auto deadline = std::chrono::steady_clock::now() + runBound_;
    while (std::chrono::steady_clock::now() < deadline) {
        // Wakes at the run's end; every slice it looks whether the run waits for good.
        const RunOutcome::End end = outcome_.WaitForEnd(slice);
        if (end != RunOutcome::End::kRunning) {
            return end == RunOutcome::End::kCompleted ? RunEnd::kCompleted : RunEnd::kFailed;
        }
        if (close.whileBoxShows && backend_.MessageBoxes().size() > boxesBefore) {
            return RunEnd::kClosed;
        }
        if (closesEarly && RequestsReceived() >= close.afterRequests) {
            return RunEnd::kClosed;
        }
        if (WaitsForAnAnswerThatCannotCome()) {
            return RunEnd::kWaitingForUpdateMode;
        }
    }
    return RunEnd::kHung;
}

std::uint32_t SoakHarness::RequestsReceived() {
    std::uint32_t count = 0;
    device_->WithEmulator([&](emu::Emulator& emulator) {
        for (const auto kind :
             {emu::RequestKind::kIdentity, emu::RequestKind::kUpdateMode, emu::RequestKind::kErase,
              emu::RequestKind::kWrite, emu::RequestKind::kFinish}) {
            count += emulator.RequestCount(kind);
        }
    });
    return count;
}

// The update-mode wait has no time-out: when the device has received the request, has nothing
// more under way and has sent nothing since that the host takes as an answer, the run waits for
// good (that wait has no time-out), and only closing the dialog ends it.
bool SoakHarness::WaitsForAnAnswerThatCannotCome() {
    const auto counter = Control(IDC_STEP_COUNTER).text;
    if (counter != "0/6" || Status() != res::LoadString(IDS_ERASING)) {
        return false;
    }
    bool waits = false;
    device_->WithEmulator([&](emu::Emulator& emulator) {
        if (emulator.RequestCount(emu::RequestKind::kUpdateMode) == 0 || emulator.NextDue()) {
            return;
        }
        const auto& entries = emulator.Log().Entries();
        std::size_t request = entries.size();
        for (std::size_t i = entries.size(); i-- > 0;) {
            if (entries[i].direction == emu::Direction::kHostToDevice &&
                IsUpdateModeRequest(entries[i].bytes)) {
                request = i;
                break;
            }
        }
        waits = request < entries.size();
        for (std::size_t i = request + 1; waits && i < entries.size(); ++i) {
            if (entries[i].direction == emu::Direction::kDeviceToHost &&
                CountsAsAnswer(entries[i].bytes)) {
                waits = false;
            }
        }
    });
    return waits;
}

void SoakHarness::RecordWindow(RunRecord& record, std::size_t boxesBefore) const {
    record.failure = outcome_.Failure();
    record.statusLine = Status();
    record.stepCounter = Control(IDC_STEP_COUNTER).text;
    record.executeEnabled = Control(ui::kIdOk).enabled;
    record.listsAndRescanEnabled = Control(IDC_MIDI_IN_LIST).enabled &&
                                   Control(IDC_MIDI_OUT_LIST).enabled &&
                                   Control(IDC_RESCAN).enabled;
    const auto boxes = backend_.MessageBoxes();
    for (std::size_t i = boxesBefore; i < boxes.size(); ++i) {
        record.boxes.push_back(boxes[i].text);
    }
    record.logLines = LogTexts();
}

// A completed run ends on the first answer after its finish request went out, and a late copy
// of the last chunk's answer can be that answer before the device has taken the request.
void SoakHarness::AwaitFinishTaken() {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    bool taken = false;
    while (!taken && std::chrono::steady_clock::now() < deadline) {
        device_->WithEmulator([&](emu::Emulator& emulator) {
            taken = emulator.RequestCount(emu::RequestKind::kFinish) > 0;
        });
        if (!taken) {
            std::this_thread::sleep_for(2ms);
        }
    }
}

void SoakHarness::RecordDevice(RunRecord& record) {
    if (record.end == RunEnd::kCompleted) {
        AwaitFinishTaken();
    }
    device_->WithEmulator([&](emu::Emulator& emulator) {
        record.finishRequests = emulator.RequestCount(emu::RequestKind::kFinish);
        for (const emu::LogEntry& entry : emulator.Log().Entries()) {
            // The emulator notes on a request why it went unanswered (lost, silent, answer
            // dropped, not for this model); a request without a note was answered.
            if (entry.direction == emu::Direction::kHostToDevice) {
                record.finishesAnswered +=
                    IsFinishRequest(entry.bytes) && entry.note.empty() ? 1 : 0;
                continue;
            }
            record.crcErrorAnswers += IsAnswerWithStatus(entry.bytes, 8) ? 1 : 0;
            record.flashErrorAnswers += IsAnswerWithStatus(entry.bytes, 3) ? 1 : 0;
        }
    });
    if (record.end == RunEnd::kCompleted) {
        record.flashDifference = FlashVersusImages();
    }
}

void SoakHarness::CloseAndRecord(RunRecord& record) {
    // What the worker reports before the window has gone is a run that ended as the user closed
    // it; counted from the moment the window is gone, nothing may follow.
    auto closed = std::async(std::launch::async, [this] { CloseDialog(); });
    backend_.WaitUntil(
        [](const ui::HeadlessBackend& b) {
            return b.FindWindowLocked(IDD_UPDATER_DIALOG) == nullptr;
        },
        closeBound_);
    const std::size_t boxes = backend_.MessageBoxes().size();
    const std::size_t lines = LogTexts().size();
    record.workerEndedAfterClose = closed.wait_for(closeBound_) == std::future_status::ready;
    if (!record.workerEndedAfterClose) {
        // The dialog thread cannot be got back: nothing after this could be trusted.
        ADD_FAILURE() << "the worker did not end within " << closeBound_.count()
                      << " s of closing the dialog; stopping the soak";
        std::fflush(stdout);
        std::abort();
    }
    record.boxesAfterClose = backend_.MessageBoxes().size() - boxes;
    record.logLinesAfterClose = LogTexts().size() - lines;
    device_.reset();
}

}  // namespace kt73b::soak
