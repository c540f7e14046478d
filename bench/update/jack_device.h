// The emulator program on a JACK server of this run's own (jackd -d dummy): the device of an
// update across two processes, as a real USB-MIDI device would be.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "app/cli/child_process.h"
#include "emulator/emulator.h"
#include "tests/support/jack_server.h"

namespace kt73b::bench {

class JackDevice {
  public:
    // Null, with the reason in `whyNot`, when no server or no emulator could be had here.
    static std::unique_ptr<JackDevice> Start(const emu::EmulatorSettings& settings,
                                             int periodFrames, std::string* whyNot);

    // After the finish request: what the emulator says of its flash, empty when it equals the
    // images.
    std::string FlashVersusImages(std::chrono::milliseconds timeout);

  private:
    JackDevice(std::unique_ptr<testing::JackServer> server,
               std::unique_ptr<cli::ChildProcess> emulator)
        : server_(std::move(server)), emulator_(std::move(emulator)) {}

    std::unique_ptr<testing::JackServer> server_;
    std::unique_ptr<cli::ChildProcess> emulator_;
};

}  // namespace kt73b::bench
