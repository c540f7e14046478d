#include "emulator/program/device_loop.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "emulator/message_log.h"

namespace kt73b::emu {

namespace {

using std::chrono::steady_clock;

// How often the loop looks for a stop signal or a vanished server while nothing happens, and
// how often it looks at the ALSA inbox while it waits on JACK.
constexpr auto kIdlePoll = std::chrono::milliseconds(100);
constexpr auto kAlsaPoll = std::chrono::milliseconds(2);
// After the last answer has left for JACK: a few cycles for the peer to read it before the
// client closes.
constexpr auto kLastAnswerGrace = std::chrono::milliseconds(100);

void Say(std::FILE* stream, const std::string& text) {
    std::fprintf(stream, "kt73b-emulator: %s\n", text.c_str());
    std::fflush(stream);
}

}  // namespace

DeviceLoop::DeviceLoop(const ProgramOptions& options, const ExpectedImages& expected,
                       jack::MidiClient* jack, const AlsaDevicePort* alsa,
                       const sigset_t& stopSignals)
    : options_(options),
      expected_(expected),
      jack_(jack),
      alsa_(alsa),
      stopSignals_(stopSignals),
      emulator_(clock_, options.settings),
      fromJack_(winmm::CutMessages::kHandOn,
                [this](std::span<const std::uint8_t> m) { emulator_.OnHostMessage(m); }) {}

bool DeviceLoop::StopSignalled() const {
    const timespec now{0, 0};
    return sigtimedwait(&stopSignals_, nullptr, &now) > 0;
}

void DeviceLoop::WaitForInput(steady_clock::time_point deadline) {
    std::vector<std::uint8_t> message;
    if (jack_ != nullptr && jack_->Receive(message, deadline)) {
        fromJack_.Feed(message);
    }
    if (alsa_ == nullptr) {
        return;
    }
    // Alone, the loop waits on the inbox; beside JACK it only looks.
    for (const auto& fromAlsa :
         alsa_->inbox.TakeAll(jack_ != nullptr ? steady_clock::now() : deadline)) {
        emulator_.OnHostMessage(fromAlsa);
    }
}

void DeviceLoop::SendDueAnswers() {
    for (const OutboundMessage& message : emulator_.TakeDue()) {
        if (jack_ != nullptr && !jack_->Send(message.bytes)) {
            Say(stderr, "an answer was lost: JACK is not taking messages");
        }
        if (alsa_ != nullptr && alsa_->sequencer.Send(alsa_->port, message.bytes.data(),
                                                      message.bytes.size()) != MMSYSERR_NOERROR) {
            Say(stderr, "an answer was lost: the ALSA sequencer did not take it");
        }
    }
}

void DeviceLoop::Report() {
    const auto& entries = emulator_.Log().Entries();
    for (; reportedEntries_ < entries.size(); ++reportedEntries_) {
        if (options_.verbose) {
            std::printf("%s\n", FormatLogEntry(entries[reportedEntries_]).c_str());
            std::fflush(stdout);
        }
    }
    const auto& errors = emulator_.ProtocolErrors();
    for (; reportedErrors_ < errors.size(); ++reportedErrors_) {
        Say(stderr, "protocol error: " + errors[reportedErrors_].what);
    }
}

// True when the program should end now that an update has finished.
bool DeviceLoop::OnFinishRequests() {
    const std::uint32_t count = emulator_.RequestCount(RequestKind::kFinish);
    if (count == finishRequests_) {
        return false;
    }
    finishRequests_ = count;
    if (!options_.flashOut.empty()) {
        std::string error;
        if (!WriteFlashFile(options_.flashOut, emulator_.Device().Flash().Bytes(), error)) {
            Say(stderr, error);
            flashOutFailed_ = true;
        } else {
            Say(stdout, "flash written to " + options_.flashOut);
        }
    }
    return options_.once;
}

int DeviceLoop::CheckFlash() const {
    if (flashOutFailed_) {
        return kExitCannotRun;
    }
    const std::string difference =
        CompareFlashWithImages(emulator_.Device().Flash(), expected_.Source());
    if (!difference.empty()) {
        Say(stdout, "the update finished, but the " + difference);
        return kExitFlashDiffers;
    }
    Say(stdout, "the update finished and the flash equals the images");
    return kExitOk;
}

int DeviceLoop::Run() {
    bool finishing = false;  // --once: the finish request has come, its answer may still be due
    std::optional<steady_clock::time_point> closeAt;
    while (!closeAt || steady_clock::now() < *closeAt) {
        if (StopSignalled()) {
            Say(stdout, "stopped");
            return kExitOk;
        }
        if (jack_ != nullptr && jack_->ServerGone()) {
            Say(stderr, "the JACK server has gone away");
            return kExitCannotRun;
        }
        auto deadline =
            steady_clock::now() + (alsa_ != nullptr && jack_ != nullptr ? kAlsaPoll : kIdlePoll);
        if (const auto due = emulator_.NextDue()) {
            deadline = std::min(deadline, clock_.TimePointOf(*due));
        }
        if (closeAt) {
            deadline = std::min(deadline, *closeAt);
        }
        WaitForInput(deadline);
        SendDueAnswers();
        Report();
        finishing = OnFinishRequests() || finishing;
        if (finishing && !closeAt && !emulator_.NextDue() &&
            (jack_ == nullptr || jack_->SendQueueEmpty())) {
            closeAt = steady_clock::now() + kLastAnswerGrace;
        }
    }
    return CheckFlash();
}

}  // namespace kt73b::emu
