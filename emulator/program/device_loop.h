// The emulator program's one working thread: takes the host's messages from JACK and ALSA,
// runs them through the emulator in real time, sends the answers when they are due, prints what
// happened, and ends on a signal or, with --once, after the first finish request.
#pragma once

#include <csignal>
#include <cstddef>
#include <cstdint>

#include "emulator/clock.h"
#include "emulator/emulator.h"
#include "emulator/program/host_inbox.h"
#include "emulator/program/image_files.h"
#include "emulator/program/program_options.h"
#include "platform/jack/jack_midi_client.h"
#include "platform/winmm/alsa/alsa_sequencer.h"
#include "platform/winmm/sysex_reassembly.h"

namespace kt73b::emu {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFlashDiffers = 1;
inline constexpr int kExitCannotRun = 2;

// The device's port on the ALSA sequencer; the sequencer's reader thread fills the inbox.
struct AlsaDevicePort {
    winmm::AlsaSequencer& sequencer;
    int port;
    HostInbox& inbox;
};

class DeviceLoop {
  public:
    // `stopSignals` are blocked in every thread; the loop takes them with sigtimedwait. One of
    // `jack` and `alsa` at least is there.
    DeviceLoop(const ProgramOptions& options, const ExpectedImages& expected,
               jack::MidiClient* jack, const AlsaDevicePort* alsa, const sigset_t& stopSignals);

    // Returns the program's exit status.
    int Run();

  private:
    bool StopSignalled() const;
    void WaitForInput(std::chrono::steady_clock::time_point deadline);
    void SendDueAnswers();
    void Report();
    bool OnFinishRequests();
    int CheckFlash() const;

    const ProgramOptions& options_;
    const ExpectedImages& expected_;
    jack::MidiClient* jack_;
    const AlsaDevicePort* alsa_;
    sigset_t stopSignals_;
    SteadyClock clock_;
    Emulator emulator_;
    winmm::SysExReassembler fromJack_;
    std::size_t reportedEntries_ = 0;
    std::size_t reportedErrors_ = 0;
    std::uint32_t finishRequests_ = 0;
    bool flashOutFailed_ = false;
};

}  // namespace kt73b::emu
