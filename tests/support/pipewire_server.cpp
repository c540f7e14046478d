#include "tests/support/pipewire_server.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "tests/support/wait_until.h"

namespace kt73b::testing {

std::unique_ptr<PipeWireServer> PipeWireServer::Start(std::string* why_not) {
    const std::string pipewire = FindOnPath("pipewire");
    if (pipewire.empty() || FindOnPath("pw-jack").empty()) {
        *why_not =
            "pipewire or pw-jack is not installed (scripts/install-deps installs "
            "pipewire-bin and pipewire-jack)";
        return nullptr;
    }
    // PipeWire refuses a runtime folder that others may enter.
    auto runtime = std::make_unique<TempDir>();
    if (runtime->Path().empty() || chmod(runtime->Path().c_str(), 0700) != 0) {
        *why_not = "no runtime folder for pipewire";
        return nullptr;
    }
    setenv("XDG_RUNTIME_DIR", runtime->Path().c_str(), 1);
    auto process = ChildProcess::Spawn({pipewire}, true);
    const std::string socket = runtime->Path() + "/pipewire-0";
    if (process == nullptr ||
        !WaitUntil([&] { return !process->Running() || std::filesystem::exists(socket); }) ||
        !process->Running()) {
        *why_not = "pipewire did not open its socket within 20 s";
        return nullptr;
    }
    return std::unique_ptr<PipeWireServer>(
        new PipeWireServer(std::move(runtime), std::move(process)));
}

std::vector<std::string> PipeWireServer::JackCommand(std::vector<std::string> argv) {
    argv.insert(argv.begin(), "pw-jack");
    return argv;
}

}  // namespace kt73b::testing
