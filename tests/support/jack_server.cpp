#include "tests/support/jack_server.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "tests/support/wait_until.h"

namespace kt73b::testing {

constexpr auto kStartTimeout = std::chrono::seconds(15);

std::unique_ptr<JackServer> JackServer::Start(int period_frames, std::string* why_not) {
    const std::string jackd = cli::FindOnPath("jackd");
    if (jackd.empty()) {
        *why_not = "jackd is not installed (scripts/install-deps installs jackd2)";
        return nullptr;
    }
    static std::atomic<int> serial{0};
    const std::string name =
        "kt73b-" + std::to_string(getpid()) + "-" + std::to_string(serial.fetch_add(1));
    auto process = cli::ChildProcess::Start({jackd, "--no-realtime", "-n", name, "-d", "dummy",
                                             "-r", "48000", "-p", std::to_string(period_frames)},
                                            "/dev/null");
    if (process == nullptr) {
        *why_not = "jackd could not be started";
        return nullptr;
    }
    // Bounded: a server that has not taken a client by then is reported, not waited for.
    const auto wait = cli::ChildProcess::Start(
        {"jack_wait", "--server", name, "--wait", "--timeout", "15"}, "/dev/null");
    if (wait == nullptr || wait->WaitForExit(kStartTimeout + std::chrono::seconds(5)) != 0) {
        *why_not = "jackd did not accept clients within 15 s (it needs /dev/shm)";
        return nullptr;
    }
    setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
    return std::unique_ptr<JackServer>(new JackServer(std::move(process)));
}

std::unique_ptr<PipeWireServer> PipeWireServer::Start(std::string* why_not) {
    const std::string pipewire = cli::FindOnPath("pipewire");
    if (pipewire.empty() || cli::FindOnPath("pw-jack").empty()) {
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
    auto process = cli::ChildProcess::Start({pipewire}, "/dev/null");
    const std::string socket = runtime->Path() + "/pipewire-0";
    if (process == nullptr ||
        !WaitUntil([&] { return std::filesystem::exists(socket); }, kStartTimeout)) {
        *why_not = "pipewire did not open its socket within 15 s";
        return nullptr;
    }
    return std::unique_ptr<PipeWireServer>(
        new PipeWireServer(std::move(runtime), std::move(process)));
}

}  // namespace kt73b::testing
