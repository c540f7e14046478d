// A JACK server of its own for one test run or benchmark, ended when the object goes: jackd, or
// PipeWire serving JACK programs through its libjack (programs started under pw-jack).
#pragma once

#include <memory>
#include <string>

#include "app/cli/child_process.h"
#include "tests/support/temp_dir.h"

namespace kt73b::testing {

// `jackd --no-realtime -d dummy` under a name no other run uses, made this process's default
// server (JACK_DEFAULT_SERVER, which the programs it starts inherit).
class JackServer {
  public:
    // Null, with the reason in `why_not`, when no server could be had here.
    static std::unique_ptr<JackServer> Start(int period_frames, std::string* why_not);
    ~JackServer() { process_->Stop(); }

  private:
    explicit JackServer(std::unique_ptr<cli::ChildProcess> process)
        : process_(std::move(process)) {}

    std::unique_ptr<cli::ChildProcess> process_;
};

// A headless `pipewire` on its stock configuration (its dummy driver runs the graph without a
// sound card), in a runtime folder of its own made this process's XDG_RUNTIME_DIR.
class PipeWireServer {
  public:
    // Null, with the reason in `why_not`, when no server could be had here.
    static std::unique_ptr<PipeWireServer> Start(std::string* why_not);
    ~PipeWireServer() { process_->Stop(); }

  private:
    PipeWireServer(std::unique_ptr<TempDir> runtime, std::unique_ptr<cli::ChildProcess> process)
        : runtime_(std::move(runtime)), process_(std::move(process)) {}

    std::unique_ptr<TempDir> runtime_;
    std::unique_ptr<cli::ChildProcess> process_;
};

}  // namespace kt73b::testing
