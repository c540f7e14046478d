#include "tests/support/jack_server.h"

#include <jack/jack.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace kt73b::testing {
namespace {

constexpr auto kStartTimeout = std::chrono::seconds(15);

void Silent(const char*) {}

// Bounded: a server that has not taken a client by then is reported, not waited for.
bool AcceptsClients(const std::string& name, ChildProcess& process) {
    jack_set_error_function(&Silent);
    jack_set_info_function(&Silent);
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (std::chrono::steady_clock::now() < deadline && process.Running()) {
        jack_status_t status{};
        jack_client_t* probe = jack_client_open(
            "kt73b-probe", static_cast<jack_options_t>(JackNoStartServer | JackServerName), &status,
            name.c_str());
        if (probe != nullptr) {
            jack_client_close(probe);
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

}  // namespace

std::unique_ptr<JackServer> JackServer::Start(int period_frames, std::string* why_not) {
    const std::string jackd = FindOnPath("jackd");
    if (jackd.empty()) {
        *why_not = "jackd is not installed (scripts/install-deps installs jackd2)";
        return nullptr;
    }
    static std::atomic<int> serial{0};
    const std::string name =
        "kt73b-" + std::to_string(getpid()) + "-" + std::to_string(serial.fetch_add(1));
    auto process = ChildProcess::Spawn({jackd, "--no-realtime", "-n", name, "-d", "dummy", "-r",
                                        "48000", "-p", std::to_string(period_frames)},
                                       true);
    if (process == nullptr) {
        *why_not = "jackd could not be started";
        return nullptr;
    }
    if (!AcceptsClients(name, *process)) {
        *why_not = "jackd did not accept clients within 15 s (it needs /dev/shm)";
        return nullptr;
    }
    setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
    return std::unique_ptr<JackServer>(new JackServer(std::move(process)));
}

std::unique_ptr<ChildProcess> StartJackPeer(const std::string& peer_path, std::string* why_not) {
    auto peer = ChildProcess::Spawn({peer_path}, false);
    if (peer == nullptr) {
        *why_not = "the test peer could not be started";
        return nullptr;
    }
    if (peer->ReadLine(kStartTimeout) != "ready") {
        *why_not = "the test peer did not become ready";
        return nullptr;
    }
    return peer;
}

}  // namespace kt73b::testing
