// kt73b-emulator: a KT-73B on a JACK MIDI client, for testing updates without a device.
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>

#include "emulator/program/alsa_seq_port.h"
#include "emulator/program/device_loop.h"
#include "emulator/program/image_files.h"
#include "emulator/program/program_options.h"
#include "platform/jack/jack_midi_client.h"

namespace {

using namespace kt73b::emu;

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
    const auto jack = kt73b::jack::MidiClient::Open({options.name}, error);
    if (!jack) {
        return Fail(error,
                    "Start a JACK server first, for example 'jackd -d dummy' (or 'jackd -d "
                    "alsa'), and try again.");
    }
    const auto alsa = AlsaSeqPort::Open(options.name);
    std::printf("kt73b-emulator: model 0x%02X%s on JACK as %s and %s%s\n",
                options.settings.device.model,
                options.settings.device.updateMode ? " in update mode" : " started normally",
                jack->InputPortName().c_str(), jack->OutputPortName().c_str(),
                alsa ? ", and on an ALSA sequencer port" : "");
    std::fflush(stdout);
    DeviceLoop loop(options, expected, *jack, alsa.get(), stopSignals);
    return loop.Run();
}
