// A JACK server of the test's own (dummy driver, a name no other run uses), named in this
// process's JACK_DEFAULT_SERVER so that every client the test starts finds it.
#pragma once

#include <memory>
#include <string>

#include "child_process.h"

namespace kt73b::emu::testing {

class JackServer {
  public:
    // Starts jackd and waits, bounded, until it takes clients. False with the reason otherwise.
    bool Start(const std::string& logFile, std::string& error);
    ~JackServer();

  private:
    std::unique_ptr<ChildProcess> jackd_;
};

}  // namespace kt73b::emu::testing
