// A PipeWire of its own for one test run or benchmark: a headless `pipewire` on its stock
// configuration (its dummy driver runs the graph without a sound card), in a runtime folder of
// its own made this process's XDG_RUNTIME_DIR (which the programs it starts inherit), ended when
// the object goes. JACK programs reach it through PipeWire's libjack: JackCommand.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace kt73b::testing {

class PipeWireServer {
  public:
    // Null, with the reason in `why_not`, when no server could be had here.
    static std::unique_ptr<PipeWireServer> Start(std::string* why_not);
    ~PipeWireServer() { process_->Stop(); }

    // `argv` run against PipeWire's libjack (pw-jack).
    static std::vector<std::string> JackCommand(std::vector<std::string> argv);

  private:
    PipeWireServer(std::unique_ptr<TempDir> runtime, std::unique_ptr<ChildProcess> process)
        : runtime_(std::move(runtime)), process_(std::move(process)) {}

    std::unique_ptr<TempDir> runtime_;
    std::unique_ptr<ChildProcess> process_;
};

}  // namespace kt73b::testing
