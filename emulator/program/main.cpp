// kt73b-emulator: a KT-73B on a JACK MIDI client and an ALSA sequencer port, where each exists,
// for testing updates without a device.
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "emulator/program/device_loop.h"
#include "emulator/program/host_inbox.h"
#include "emulator/program/image_files.h"
#include "emulator/program/program_options.h"
#include "platform/jack/jack_midi_client.h"
#include "platform/winmm/alsa/alsa_sequencer.h"

namespace {

using namespace kt73b::emu;
namespace winmm = kt73b::winmm;

int Fail(const std::string& text, const std::string& advice) {
    std::fprintf(stderr, "kt73b-emulator: %s\n%s\n", text.c_str(), advice.c_str());
    return kExitCannotRun;
}

// Blocked in every thread, JACK's included, so only the device loop takes them.
sigset_t BlockStopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    return signals;
}

std::string Serving(const kt73b::jack::MidiClient* jack, const winmm::AlsaSequencer* alsa,
                    int alsaPort) {
    std::string where;
    if (jack != nullptr) {
        where = " on JACK as " + jack->InputPortName() + " and " + jack->OutputPortName();
    }
    if (alsa != nullptr) {
        where += std::string(jack != nullptr ? "," : "") + " on the ALSA sequencer as " +
                 std::to_string(alsa->ClientId()) + ":" + std::to_string(alsaPort);
    }
    return where;
}

}  // namespace

int main(int argc, char** argv) {
    ProgramOptions options;
    std::string error;
    if (!ParseProgramOptions(argc, argv, options, error)) {
        return Fail(error, "Try 'kt73b-emulator --help'.");
    }
    if (options.help) {
        std::fputs(HelpText().c_str(), stdout);
        return kExitOk;
    }
    if (options.listFaultScripts) {
        std::fputs(FaultScriptList().c_str(), stdout);
        return kExitOk;
    }
    ExpectedImages expected;
    if (!expected.Load(options.expectDir, error)) {
        return Fail(error, "--expect names a folder with 129.bin, 136.bin and 137.bin.");
    }
    const sigset_t stopSignals = BlockStopSignals();
    std::string jackError;
    const auto jack = kt73b::jack::MidiClient::Open({options.name}, jackError);
    HostInbox inbox;  // before the sequencer, whose reader thread fills it
    auto alsa = winmm::AlsaSequencer::Open(winmm::AlsaConfig{.clientName = options.name});
    const int alsaPort = alsa != nullptr ? alsa->CreateDevicePort(options.name, inbox) : -1;
    if (alsaPort < 0) {
        alsa.reset();
    }
    if (!jack && !alsa) {
        return Fail(jackError + ", and this machine has no ALSA sequencer",
                    "Start a JACK server first, for example 'jackd -d dummy' (or 'jackd -d "
                    "alsa'), or run where the kernel has the ALSA sequencer (/dev/snd/seq).");
    }
    const std::string without = jack ? "" : " (" + jackError + ")";
    std::printf("kt73b-emulator: model 0x%02X%s%s%s\n", options.settings.device.model,
                options.settings.device.updateMode ? " in update mode" : " started normally",
                Serving(jack.get(), alsa.get(), alsaPort).c_str(), without.c_str());
    std::fflush(stdout);
    std::optional<AlsaDevicePort> alsaDevice;
    if (alsa) {
        alsaDevice.emplace(AlsaDevicePort{*alsa, alsaPort, inbox});
    }
    DeviceLoop loop(options, expected, jack.get(), alsaDevice ? &*alsaDevice : nullptr,
                    stopSignals);
    return loop.Run();
}
