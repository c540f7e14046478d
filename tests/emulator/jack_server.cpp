#include "jack_server.h"

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

#include "emulator/jack/jack_midi_client.h"

namespace kt73b::emu::testing {

namespace {

// jackd usually takes clients within a second; a loaded 2-core machine may need more.
constexpr auto kStartLimit = std::chrono::seconds(20);
constexpr auto kStartPoll = std::chrono::milliseconds(50);
constexpr auto kStopLimit = std::chrono::seconds(5);

}  // namespace

bool JackServer::Start(const std::string& logFile, std::string& error) {
    const std::string name = "kt73b-emu-test-" + std::to_string(getpid());
    setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
    jackd_ = ChildProcess::Start(
        {"jackd", "--no-realtime", "-n", name, "-d", "dummy", "-r", "48000", "-p", "256"}, logFile);
    if (!jackd_) {
        error = "jackd could not be started (is the jackd2 package installed?)";
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
    while (std::chrono::steady_clock::now() < deadline) {
        std::string ignored;
        if (JackMidiClient::Open("kt73b-probe", ignored)) {
            return true;
        }
        if (!jackd_->Running()) {
            error = "jackd ended at once:\n" + ReadFile(logFile);
            return false;
        }
        std::this_thread::sleep_for(kStartPoll);
    }
    error = "jackd took no client within 20 s:\n" + ReadFile(logFile);
    return false;
}

JackServer::~JackServer() {
    if (jackd_) {
        jackd_->Signal(SIGTERM);
        jackd_->WaitForExit(std::chrono::duration_cast<std::chrono::milliseconds>(kStopLimit));
    }
}

}  // namespace kt73b::emu::testing
