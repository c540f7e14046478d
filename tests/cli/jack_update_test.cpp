// An update across two processes over a JACK server of the test's own: kt73b-emulator on one
// side, kt73b-update on the other, each with the real JACK provider and the update's own timings.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/support/child_process.h"
#include "tests/support/jack_server.h"
#include "tests/support/temp_dir.h"

namespace kt73b::cli {
namespace {

using kt73b::testing::ChildProcess;
using kt73b::testing::ReadFile;
using kt73b::testing::TempDir;
using namespace std::chrono_literals;

// A whole update is 1,902 write-data frames, each answered before the next goes out; the bound
// leaves room for a loaded machine and for re-sends after lost messages.
constexpr auto kUpdateLimit = 240s;
constexpr auto kStartLimit = 20s;
constexpr auto kPoll = 20ms;
constexpr int kPeriodFrames = 256;  // 5.3 ms at 48 kHz

class JackUpdate : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(dir_.Path().empty());
        std::string error;
        server_ = kt73b::testing::JackServer::Start(kPeriodFrames, &error);
        ASSERT_TRUE(server_) << error;
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.Path());
        std::ofstream("TEST_LOG.txt").flush();
    }
    void TearDown() override { std::filesystem::current_path(previous_); }

    // The emulator as fast as it goes: no link, command, erase or write time.
    void StartEmulator(std::vector<std::string> options) {
        std::vector<std::string> args = {KT73B_EMULATOR_PROGRAM, "--command-time=0",
                                         "--erase-time=0",       "--write-time=0",
                                         "--link-rate=0",        "--link-latency=0"};
        args.insert(args.end(), options.begin(), options.end());
        emulator_ = ChildProcess::Start(args, EmulatorLog());
        ASSERT_TRUE(emulator_);
        // Its ports exist once it has said where it is.
        const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
        while (ReadFile(EmulatorLog()).find(" on JACK as ") == std::string::npos) {
            ASSERT_TRUE(emulator_->Running()) << Diagnostics();
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << Diagnostics();
            std::this_thread::sleep_for(kPoll);
        }
    }

    std::optional<int> RunUpdater() {
        const auto started = std::chrono::steady_clock::now();
        auto updater = ChildProcess::Start({KT73B_UPDATE_PROGRAM}, UpdaterLog());
        if (!updater)
            return std::nullopt;
        const std::optional<int> status = updater->WaitForExit(kUpdateLimit);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
        std::printf("kt73b-update ran for %.1f s\n", took.count());
        return status;
    }

    std::string EmulatorLog() const { return dir_.Path() + "/emulator.log"; }
    std::string UpdaterLog() const { return dir_.Path() + "/update.log"; }
    std::string TestLog() const { return ReadFile(dir_.Path() + "/TEST_LOG.txt"); }
    std::string Diagnostics() const {
        return "kt73b-update:\n" + ReadFile(UpdaterLog()) + "kt73b-emulator:\n" +
               ReadFile(EmulatorLog());
    }

    TempDir dir_;
    std::unique_ptr<kt73b::testing::JackServer> server_;
    std::unique_ptr<ChildProcess> emulator_;

  private:
    std::filesystem::path previous_;
};

TEST_F(JackUpdate, ACompleteUpdateLeavesTheImagesInTheEmulatorsFlash) {
    StartEmulator({"--once"});
    EXPECT_EQ(RunUpdater(), 0) << Diagnostics();
    EXPECT_EQ(emulator_->WaitForExit(kStartLimit), 0) << Diagnostics();

    EXPECT_NE(ReadFile(EmulatorLog()).find("the update finished and the flash equals the images"),
              std::string::npos)
        << Diagnostics();
    const std::string output = ReadFile(UpdaterLog());
    // Found by the dialog's pre-selection: the emulator's JACK client has the device's name.
    EXPECT_NE(output.find("Updating through MIDI OUT \"VELK KT Series\" and MIDI IN \"VELK KT "
                          "Series\"."),
              std::string::npos)
        << output;
    // The progress as a file gets it: each step, and the data steps by the tenth.
    for (const char* line :
         {"[1/6] Erasing Flash memory.  (0/3804 KiB)\n", "[3/6] Data transmit  0 / 262144  (",
          "[5/6] Data transmit  2621440 / 2912256  (",
          "[6/6] Version update completed.  (3804/3804 KiB)\n"}) {
        EXPECT_NE(output.find(line), std::string::npos) << line << "\n" << output;
    }
    EXPECT_EQ(TestLog(), "");
}

}  // namespace
}  // namespace kt73b::cli
