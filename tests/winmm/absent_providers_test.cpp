// A machine without an ALSA sequencer (as here) or without a running JACK server: the provider
// lists nothing, prints nothing and opens nothing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

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

}  // namespace
}  // namespace kt73b::winmm
