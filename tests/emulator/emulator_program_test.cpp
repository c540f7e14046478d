// kt73b-emulator as a program, over a real JACK server of the test's own: a second JACK client
// plays the host.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <thread>

#include "child_process.h"
#include "emulator/jack/jack_midi_client.h"
#include "engine/image_set.h"
#include "jack_server.h"
#include "virtual_host.h"

namespace kt73b::emu {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using testing::Bytes;
using testing::ChildProcess;
using testing::ReadFile;

// Bounds for waiting on other processes; generous for a loaded 2-core machine.
constexpr auto kAnswerLimit = seconds(10);
constexpr auto kProgramLimit = seconds(20);
constexpr auto kConnectPoll = milliseconds(20);

class EmulatorProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(dir_.Path().empty());
        std::string error;
        ASSERT_TRUE(server_.Start(dir_.Path() + "/jackd.log", error)) << error;
        host_ = JackMidiClient::Open("kt73b-test-host", error);
        ASSERT_TRUE(host_) << error;
    }

    void StartEmulator(std::vector<std::string> options) {
        std::vector<std::string> args = {KT73B_EMULATOR_PROGRAM, "--name", kName};
        args.insert(args.end(), options.begin(), options.end());
        emulator_ = ChildProcess::Start(args, Output());
        ASSERT_TRUE(emulator_);
        ASSERT_TRUE(ConnectToEmulator()) << ReadFile(Output());
    }

    // The emulator's ports appear once it has started; waits for them, bounded.
    bool ConnectToEmulator() {
        const auto deadline = std::chrono::steady_clock::now() + kProgramLimit;
        while (std::chrono::steady_clock::now() < deadline && emulator_->Running()) {
            if (host_->Connect(host_->OutputPortName(), kName + ":midi_in") &&
                host_->Connect(kName + ":midi_out", host_->InputPortName())) {
                return true;
            }
            std::this_thread::sleep_for(kConnectPoll);
        }
        return false;
    }

    // Sends one message and returns the first message that comes back (empty when none does).
    Bytes Exchange(const Bytes& request) {
        EXPECT_TRUE(host_->Send(request));
        Bytes answer;
        host_->Receive(answer, std::chrono::steady_clock::now() + kAnswerLimit);
        return answer;
    }

    std::string Output() const { return dir_.Path() + "/emulator.log"; }
    // For failure messages: a lost message after a JACK xrun shows in the server's log.
    std::string Diagnostics() const {
        return "emulator:\n" + ReadFile(Output()) + "jackd:\n" +
               ReadFile(dir_.Path() + "/jackd.log");
    }

    const std::string kName = "KT Test " + std::to_string(getpid());
    testing::TempDir dir_;
    testing::JackServer server_;
    std::unique_ptr<JackMidiClient> host_;
    std::unique_ptr<ChildProcess> emulator_;
};

TEST_F(EmulatorProgram, AnswersIdentityAndRejectsABadCheckValue) {
    StartEmulator({"--model", "0x58"});
    const Bytes identity = Exchange(testing::IdentityRequest());
    ASSERT_EQ(identity.size(), 15u) << Diagnostics();
    EXPECT_EQ(identity[0], 0xF0);
    EXPECT_EQ(identity[6], 0x58);

    Bytes frame = testing::WriteFrame(0x040000, testing::Chunk(), 0x58);
    frame[1000] ^= 0x01;
    EXPECT_EQ(Exchange(frame), testing::Answer(8, 0x58)) << Diagnostics();

    emulator_->Signal(SIGTERM);
    EXPECT_EQ(emulator_->WaitForExit(kProgramLimit), 0);
    const std::string output = ReadFile(Output());
    EXPECT_NE(output.find("protocol error: write-data frame: check value"), std::string::npos);
    // This machine has no ALSA sequencer: the program goes on with JACK and says nothing of it.
    EXPECT_EQ(output.find("ALSA"), std::string::npos) << output;
    EXPECT_EQ(output.find("alsa"), std::string::npos) << output;
}

TEST_F(EmulatorProgram, OnceExitsWithTheFlashComparison) {
    // An erased device compared with all-FF images: equal. Without --expect the built-in
    // images are not on an erased device: different.
    for (const ImageSpec& entry : kImageSpecs) {
        std::ofstream(dir_.Path() + "/" + std::to_string(entry.id) + ".bin", std::ios::binary)
            << std::string(entry.size, '\xFF');
    }
    const std::string flashFile = dir_.Path() + "/flash.bin";
    for (const bool expectErased : {true, false}) {
        std::vector<std::string> options = {"--once", "--flash-out", flashFile, "--erase-time",
                                            "1ms"};
        if (expectErased) {
            options.insert(options.end(), {"--expect", dir_.Path()});
        }
        StartEmulator(options);
        EXPECT_EQ(Exchange(testing::UpdateModeRequest()), testing::Answer(0)) << Diagnostics();
        EXPECT_EQ(Exchange(testing::EraseRequest(0, 0x3B7000)), testing::Answer(0));
        EXPECT_EQ(Exchange(testing::FinishRequest()), testing::Answer(0));
        EXPECT_EQ(emulator_->WaitForExit(kProgramLimit), expectErased ? 0 : 1) << Diagnostics();
        EXPECT_EQ(ReadFile(flashFile), std::string(0x3B7000, '\xFF'));
    }
}

TEST(EmulatorProgramAlone, WithoutAJackServerItSaysSoAndFails) {
    testing::TempDir dir;
    const std::string output = dir.Path() + "/emulator.log";
    setenv("JACK_DEFAULT_SERVER", ("kt73b-no-such-server-" + std::to_string(getpid())).c_str(), 1);
    auto emulator = ChildProcess::Start({KT73B_EMULATOR_PROGRAM}, output);
    ASSERT_TRUE(emulator);
    EXPECT_EQ(emulator->WaitForExit(kProgramLimit), 2);
    EXPECT_NE(ReadFile(output).find("no JACK server is running"), std::string::npos)
        << ReadFile(output);
}

TEST(EmulatorProgramAlone, WrongOptionsAreRefusedBeforeAnythingStarts) {
    testing::TempDir dir;
    const std::string output = dir.Path() + "/emulator.log";
    auto emulator =
        ChildProcess::Start({KT73B_EMULATOR_PROGRAM, "--fault", "write#0=drop"}, output);
    ASSERT_TRUE(emulator);
    EXPECT_EQ(emulator->WaitForExit(kProgramLimit), 2);
    EXPECT_NE(ReadFile(output).find("counted from 1"), std::string::npos) << ReadFile(output);
}

}  // namespace
}  // namespace kt73b::emu
