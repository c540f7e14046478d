// A JACK server of its own for one test run or benchmark: `jackd --no-realtime -d dummy` under
// a name no other run uses, made this process's default server (JACK_DEFAULT_SERVER, which the
// programs it starts inherit), and ended when the object goes.
#pragma once

#include <memory>
#include <string>

#include "tests/support/child_process.h"

namespace kt73b::testing {

class JackServer {
  public:
    // Null, with the reason in `why_not`, when no server could be had here.
    static std::unique_ptr<JackServer> Start(int period_frames, std::string* why_not);
    ~JackServer() { process_->Stop(); }

  private:
    explicit JackServer(std::unique_ptr<ChildProcess> process) : process_(std::move(process)) {}

    std::unique_ptr<ChildProcess> process_;
};

// Starts `peer_path` (the "VELK KT Series" test peer) and waits until it says it is ready.
std::unique_ptr<ChildProcess> StartJackPeer(const std::string& peer_path, std::string* why_not);

}  // namespace kt73b::testing
