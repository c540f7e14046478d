// A machine without an ALSA sequencer (as here) or without a running JACK server: the provider
// lists nothing and prints nothing.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdlib>
#include <string>

#include "platform/winmm/alsa/alsa_provider.h"
#include "platform/winmm/jack/jack_provider.h"

namespace kt73b::winmm {
namespace {

TEST(AbsentProviders, WithoutASequencerAlsaListsNothingAndSaysNothing) {
    if (access("/dev/snd/seq", F_OK) == 0) {
        GTEST_SKIP() << "this machine has an ALSA sequencer";
    }
    ::testing::internal::CaptureStderr();
    const auto inputs = AlsaProvider::Instance().ListInputs();
    const auto outputs = AlsaProvider::Instance().ListOutputs();
    const std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(inputs.empty());
    EXPECT_TRUE(outputs.empty());
    EXPECT_EQ(printed, "");
    std::unique_ptr<OutputConnection> connection;
    EXPECT_EQ(AlsaProvider::Instance().OpenOutput("20:0", &connection), MMSYSERR_NODRIVER);
}

TEST(AbsentProviders, WithoutAServerJackListsNothingAndSaysNothing) {
    const std::string server = "kt73b-absent-" + std::to_string(getpid());
    setenv("JACK_DEFAULT_SERVER", server.c_str(), 1);
    ::testing::internal::CaptureStderr();
    const auto inputs = JackProvider::Instance().ListInputs();
    const auto outputs = JackProvider::Instance().ListOutputs();
    const std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(inputs.empty());
    EXPECT_TRUE(outputs.empty());
    EXPECT_EQ(printed, "");
    std::unique_ptr<OutputConnection> connection;
    EXPECT_EQ(JackProvider::Instance().OpenOutput("VELK KT Series:MIDI in", &connection),
              MMSYSERR_NODRIVER);
}

}  // namespace
}  // namespace kt73b::winmm
