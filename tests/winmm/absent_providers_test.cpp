// A machine without an ALSA sequencer (as here) or without a running JACK server: the provider
// lists nothing, prints nothing and opens nothing. And the short cycle the JACK provider's client
// asks of PipeWire's libjack only, never over the user's own latency.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/jack/pipewire_latency.h"
#include "platform/winmm/alsa/alsa_provider.h"
#include "platform/winmm/jack/jack_provider.h"

namespace kt73b::winmm {
namespace {

void ExpectNothingListedOrSaid(Provider& provider, const std::string& key) {
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(provider.ListInputs().empty());
    EXPECT_TRUE(provider.ListOutputs().empty());
    std::unique_ptr<OutputConnection> connection;
    EXPECT_EQ(provider.OpenOutput(key, &connection), MMSYSERR_NODRIVER);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST(AbsentProviders, WithoutASequencerAlsaListsNothingAndSaysNothing) {
    if (access("/dev/snd/seq", F_OK) == 0) {
        GTEST_SKIP() << "this machine has an ALSA sequencer";
    }
    AlsaProvider provider;
    ExpectNothingListedOrSaid(provider, "20:0");
}

TEST(AbsentProviders, WithoutAServerJackListsNothingAndSaysNothing) {
    setenv("JACK_DEFAULT_SERVER", ("kt73b-absent-" + std::to_string(getpid())).c_str(), 1);
    JackProvider provider(JackConfig{});
    ExpectNothingListedOrSaid(provider, "VELK KT Series:MIDI in");
}

TEST(PipeWireLatency, AskedOfPipeWireAloneAndNeverOverTheUsersOwn) {
    const char* pipewire = "3.0.0.0 (using PipeWire 0.3.65)";
    EXPECT_EQ(jack::PipeWireLatencyRequest(pipewire, nullptr), "128/48000");
    EXPECT_EQ(jack::PipeWireLatencyRequest(pipewire, "1024/48000"), std::nullopt);
    EXPECT_EQ(jack::PipeWireLatencyRequest("1.9.21", nullptr), std::nullopt);
    EXPECT_EQ(jack::PipeWireLatencyRequest(nullptr, nullptr), std::nullopt);
}

}  // namespace
}  // namespace kt73b::winmm
