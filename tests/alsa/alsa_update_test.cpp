// Whole updates across two processes over the kernel's ALSA sequencer with no JACK server:
// kt73b-emulator serves its ALSA port, kt73b-update takes it by the dialog's pre-selection.
#include <fstream>

#include "tests/alsa/guest_test.h"

namespace kt73b::testing {
namespace {

// The emulator as fast as it goes, so that the time is the sequencer's and the programs'.
const std::vector<std::string> kInstant = {"--command-time=0", "--erase-time=0", "--write-time=0",
                                           "--link-rate=0", "--link-latency=0"};

// Each test creates the log file the updater appends to.
class AlsaUpdate : public GuestTest {
  protected:
    std::unique_ptr<cli::ChildProcess> StartInstantEmulator(std::vector<std::string> args) {
        args.insert(args.begin(), kInstant.begin(), kInstant.end());
        return StartEmulator(args, "emulator.log");
    }
};

TEST_F(AlsaUpdate, ACompleteUpdateLeavesTheImagesInTheEmulatorsFlash) {
    std::ofstream(File("TEST_LOG.txt")).flush();
    const auto emulator = StartInstantEmulator({"--once"});
    ASSERT_TRUE(emulator);
    EXPECT_TRUE(Has(ReadFile(File("emulator.log")), "(no JACK server is running"));

    const auto started = std::chrono::steady_clock::now();
    const ProgramResult update = RunUpdater(UpdateArgs({}), kUpdateLimit);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
    std::printf("kt73b-update over the ALSA sequencer ran for %.1f s\n", took.count());
    EXPECT_EQ(update.status, 0) << update.output << ReadFile(File("emulator.log"));
    EXPECT_TRUE(Has(update.output,
                    "Updating through MIDI OUT \"VELK KT Series\" and MIDI IN \"VELK KT Series\"."))
        << update.output;
    EXPECT_EQ(emulator->WaitForExit(kProgramLimit), 0) << ReadFile(File("emulator.log"));
    EXPECT_TRUE(
        Has(ReadFile(File("emulator.log")), "the update finished and the flash equals the images"))
        << ReadFile(File("emulator.log"));
    EXPECT_EQ(ReadFile(File("TEST_LOG.txt")), "");
}

// One row of the failure table, as over JACK: its box text, its exit status and its one log line.
TEST_F(AlsaUpdate, ADeviceFaultEndsTheUpdateWithItsFailureAndLogLine) {
    std::ofstream(File("TEST_LOG.txt")).flush();
    const auto emulator = StartInstantEmulator({"--fault-script", "not-in-update-mode"});
    ASSERT_TRUE(emulator);
    const ProgramResult update = RunUpdater(UpdateArgs({}), kUpdateLimit);
    EXPECT_EQ(update.status, 8) << update.output << ReadFile(File("emulator.log"));
    EXPECT_TRUE(Has(update.output, "Please use the firmware update mode.")) << update.output;
    const std::string log = ReadFile(File("TEST_LOG.txt"));
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_TRUE(log.ends_with("     Please use the firmware update mode.\r\n")) << log;
}

}  // namespace
}  // namespace kt73b::testing
