// kt73b-emulator as a program, over a real JACK server of the test's own: a second JACK client
// plays the host.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "emulator/jack/jack_midi_client.h"
#include "engine/image_set.h"
#include "host_bytes.h"
#include "tests/support/jack_server.h"
#include "tests/support/temp_dir.h"

namespace kt73b::emu {
namespace {

using kt73b::testing::ChildProcess;
using kt73b::testing::ReadFile;
using std::chrono::seconds;
using testing::Bytes;

// Bounds for waiting on other processes; generous for a loaded 2-core machine.
constexpr auto kAnswerLimit = seconds(10);
constexpr auto kProgramLimit = seconds(20);

class EmulatorProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(dir_.Path().empty());
        std::string error;
        server_ = kt73b::testing::JackServer::Start(256, &error);
        ASSERT_TRUE(server_) << error;
        host_ = JackMidiClient::Open("kt73b-test-host", error);
        ASSERT_TRUE(host_) << error;
    }

    // Starts the program and connects the host to its ports once they appear, bounded.
    void StartEmulator(std::vector<std::string> options) {
        options.insert(options.begin(), {KT73B_EMULATOR_PROGRAM, "--name", kName});
        emulator_ = ChildProcess::Start(options, Output());
        ASSERT_TRUE(emulator_);
        const auto deadline = std::chrono::steady_clock::now() + kProgramLimit;
        while (!(host_->Connect(host_->OutputPortName(), kName + ":midi_in") &&
                 host_->Connect(kName + ":midi_out", host_->InputPortName()))) {
            ASSERT_TRUE(emulator_->Running() && std::chrono::steady_clock::now() < deadline)
                << ReadFile(Output());
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    // Sends one message and returns the first message that comes back (empty when none does).
    Bytes Exchange(const Bytes& request) {
        EXPECT_TRUE(host_->Send(request));
        Bytes answer;
        host_->Receive(answer, std::chrono::steady_clock::now() + kAnswerLimit);
        return answer;
    }

    std::string Output() const { return dir_.Path() + "/emulator.log"; }

    const std::string kName = "KT Test " + std::to_string(getpid());
    kt73b::testing::TempDir dir_;
    std::unique_ptr<kt73b::testing::JackServer> server_;
    std::unique_ptr<JackMidiClient> host_;
    std::unique_ptr<ChildProcess> emulator_;
};

// Erased flash compared with all-FF images (--expect) is equal; on the way, the identity and a
// damaged frame answered 8 and reported.
TEST_F(EmulatorProgram, AnswersAndWithOnceExitsWithTheFlashComparison) {
    for (const ImageSpec& entry : kImageSpecs) {
        std::ofstream(dir_.Path() + "/" + std::to_string(entry.id) + ".bin", std::ios::binary)
            << std::string(entry.size, '\xFF');
    }
    const std::string flashFile = dir_.Path() + "/flash.bin";
    StartEmulator(
        {"--once", "--flash-out", flashFile, "--erase-time", "1ms", "--expect", dir_.Path()});
    EXPECT_EQ(Exchange(testing::IdentityRequest()).size(), 15u) << ReadFile(Output());
    Bytes frame = testing::WriteFrame(0x040000, testing::Chunk());
    frame[1000] ^= 0x01;
    EXPECT_EQ(Exchange(frame), testing::Answer(8)) << ReadFile(Output());
    EXPECT_EQ(Exchange(testing::UpdateModeRequest()), testing::Answer(0));
    EXPECT_EQ(Exchange(testing::EraseRequest(0, 0x3B7000)), testing::Answer(0));
    EXPECT_EQ(Exchange(testing::FinishRequest()), testing::Answer(0));
    EXPECT_EQ(emulator_->WaitForExit(kProgramLimit), 0) << ReadFile(Output());
    EXPECT_EQ(ReadFile(flashFile), std::string(0x3B7000, '\xFF'));
    const std::string output = ReadFile(Output());
    EXPECT_NE(output.find("protocol error: write-data frame: check value"), std::string::npos)
        << output;
    // This machine has no ALSA sequencer: the program goes on with JACK and says nothing of it.
    EXPECT_EQ(output.find("ALSA"), std::string::npos) << output;
    EXPECT_EQ(output.find("alsa"), std::string::npos) << output;
}

// Refused before anything starts, with exit status 2 and the reason: neither a JACK server nor
// an ALSA sequencer, a bad option.
TEST(EmulatorProgramAlone, WithoutAServerOrWithAWrongOptionItSaysWhyAndFails) {
    kt73b::testing::TempDir dir;
    const std::string output = dir.Path() + "/emulator.log";
    setenv("JACK_DEFAULT_SERVER", ("kt73b-no-such-server-" + std::to_string(getpid())).c_str(), 1);
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{KT73B_EMULATOR_PROGRAM},
         "no JACK server is running (status 0x11), and this machine has no ALSA sequencer"},
        {{KT73B_EMULATOR_PROGRAM, "--fault", "write#0=drop"}, "counted from 1"},
    };
    for (const auto& [args, reason] : cases) {
        SCOPED_TRACE(reason);
        auto emulator = ChildProcess::Start(args, output);
        ASSERT_TRUE(emulator);
        EXPECT_EQ(emulator->WaitForExit(kProgramLimit), 2);
        EXPECT_NE(ReadFile(output).find(reason), std::string::npos) << ReadFile(output);
    }
}

}  // namespace
}  // namespace kt73b::emu
