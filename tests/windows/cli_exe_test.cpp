// kt73b-update.exe under Wine: the system's MIDI devices (Wine offers none here) and, with
// --emulate, the emulated KT-73B after them; a whole update at the device's own pace, a device
// that fails, and no device at all, each with its exit status.
#include <gtest/gtest.h>

#include "tests/windows/program_run.h"

namespace kt73b::testing {
namespace {

using namespace std::chrono_literals;

// A whole update at the emulated device's own pace takes about two minutes under Wine here.
constexpr auto kUpdateBound = 600s;
constexpr auto kQuickBound = 60s;

// A path of the build machine: Wine maps it onto the drive of the current folder.
std::optional<ProgramResult> RunUpdater(const std::string& arguments,
                                        std::chrono::milliseconds bound = kQuickBound) {
    return RunToEnd(KT73B_UPDATE_EXE, arguments, bound);
}

TEST(CommandLineUpdaterExe, List_ShowsNoSystemDeviceAndThenTheEmulatedOne) {
    const auto system = RunUpdater("--list");
    ASSERT_TRUE(system.has_value());
    EXPECT_EQ(system->exitCode, 0u);
    EXPECT_EQ(system->output.find("VELK KT Series"), std::string::npos) << system->output;

    const auto emulated = RunUpdater("--list --emulate");
    ASSERT_TRUE(emulated.has_value());
    EXPECT_EQ(emulated->exitCode, 0u);
    EXPECT_NE(emulated->output.find("0  VELK KT Series"), std::string::npos) << emulated->output;
}

TEST(CommandLineUpdaterExe, Update_WithoutDevicesEndsWithTheNoPortStatus) {
    const auto result = RunUpdater("");
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->exitCode, 3u);
    EXPECT_NE(result->output.find("no MIDI devices were found"), std::string::npos)
        << result->output;
}

TEST(CommandLineUpdaterExe, Update_OfAnEmulatedDeviceOfAnotherModelIsRefused) {
    const auto result = RunUpdater("--emulate --fault illegal-model");
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->exitCode, 7u);
    EXPECT_NE(result->output.find("Illegal device connected."), std::string::npos)
        << result->output;
}

TEST(CommandLineUpdaterExe, Update_OfTheEmulatedDeviceCompletes) {
    const auto result = RunUpdater("--emulate", kUpdateBound);
    ASSERT_TRUE(result.has_value()) << "no end within " << kUpdateBound.count() << " s";
    EXPECT_EQ(result->exitCode, 0u) << result->output;
    EXPECT_NE(result->output.find("Version update completed."), std::string::npos)
        << result->output;
}

}  // namespace
}  // namespace kt73b::testing
