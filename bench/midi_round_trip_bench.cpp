// Round trip of one 2,359-byte write frame out and a 7-byte answer back in, through the ports and
// the WinMM layer: over the in-process loopback, and over JACK (a server of its own at -p 64 and
// -p 256, the answering peer in a second process). Waits spin on the input queue, so the figures
// are the transport's alone, without the 50 ms tick that drains the queue in the updater.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "bench/answering_device.h"
#include "midi/midi_in_port.h"
#include "midi/midi_out_port.h"
#include "platform/winmm/loopback/loopback_registry.h"
#include "tests/support/jack_server.h"

namespace kt73b {
namespace {

using Clock = std::chrono::steady_clock;

class AnsweringLoopback final : public loopback::LoopbackDevice {
  public:
    void OnHostMessage(const std::uint8_t* bytes, std::size_t length) override {
        const auto answer = testing::AnswerFor(bytes, length);
        loopback::DeliverToHost(id, answer.data(), answer.size());
    }
    int id = 0;
};

template <typename Port>
int IndexOf(Port& port, const std::string& wanted) {
    const UINT count = port.GetNumDevs();
    for (UINT i = 0; i < count; ++i) {
        char name[kDeviceNameBytes];
        port.GetDeviceName(i, name);
        if (wanted == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool WaitForAnswer(MidiInPort& in) {
    const auto deadline = Clock::now() + std::chrono::seconds(2);
    while (in.Front() == nullptr) {
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::yield();
    }
    while (in.Front() != nullptr) {
        in.PopFront();
    }
    return true;
}

void RoundTrips(benchmark::State& state, const std::string& device) {
    MidiInPort in;
    MidiOutPort out;
    const int in_index = IndexOf(in, device);
    const int out_index = IndexOf(out, device);
    in.SetDeviceIndex(static_cast<UINT>(in_index));
    if (in_index < 0 || out_index < 0 || out.Open(static_cast<UINT>(out_index)) != 1 ||
        in.Open() != 1) {
        state.SkipWithError("the device could not be opened");
        return;
    }
    auto frame = testing::TestSysEx(2359, 5);
    std::vector<double> micros;
    int lost = 0;
    for (auto _ : state) {
        MIDIHDR header{};
        header.lpData = reinterpret_cast<LPSTR>(frame.data());
        header.dwBufferLength = static_cast<DWORD>(frame.size());
        const auto start = Clock::now();
        if (out.SendLong(&header) != 1) {
            state.SkipWithError("a send failed");
            break;
        }
        if (!WaitForAnswer(in)) {
            ++lost;
            continue;
        }
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    if (!micros.empty()) {
        std::sort(micros.begin(), micros.end());
        state.counters["median_us"] = micros[micros.size() / 2];
        state.counters["p99_us"] = micros[micros.size() * 99 / 100];
        state.counters["max_us"] = micros.back();
    }
    state.counters["lost"] = lost;
}

void BM_LoopbackRoundTrip(benchmark::State& state) {
    AnsweringLoopback device;
    device.id = loopback::RegisterDevice("Bench Loopback", &device);
    RoundTrips(state, "Bench Loopback");
    loopback::UnregisterDevice(device.id);
}
BENCHMARK(BM_LoopbackRoundTrip)->UseRealTime()->Unit(benchmark::kMicrosecond);

// Starts `peer_path` (the "VELK KT Series" test peer) and waits until it says it is ready.
std::unique_ptr<cli::ChildProcess> StartJackPeer(const std::string& peer_path,
                                                 std::string* why_not) {
    auto peer = cli::ChildProcess::Start({peer_path});
    if (peer == nullptr) {
        *why_not = "the test peer could not be started";
        return nullptr;
    }
    if (peer->ReadLine(std::chrono::seconds(15)) != "ready") {
        *why_not = "the test peer did not become ready";
        return nullptr;
    }
    return peer;
}

void BM_JackRoundTrip(benchmark::State& state) {
    std::string why_not;
    const auto server = testing::JackServer::Start(static_cast<int>(state.range(0)), &why_not);
    const auto peer = server ? StartJackPeer(KT73B_JACK_PEER_PATH, &why_not) : nullptr;
    if (peer == nullptr) {
        state.SkipWithError(("JACK skipped: " + why_not).c_str());
        return;
    }
    RoundTrips(state, "VELK KT Series");
}
BENCHMARK(BM_JackRoundTrip)
    ->ArgName("period")
    ->Arg(64)
    ->Arg(256)
    ->Iterations(300)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kt73b

BENCHMARK_MAIN();
