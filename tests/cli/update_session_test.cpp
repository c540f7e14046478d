// kt73b-update's session driving the real dialog on the terminal back end, against the emulated
// device in this process (the only device: the real providers are left out), with shortened
// time-outs and no link or device time.
#include "app/cli/update_session.h"

#include "app/updater_dialog.h"
#include "emulator/named_fault_scripts.h"
#include "platform/ui/terminal/terminal_backend.h"
#include "platform/winmm/device_catalog.h"
#include "platform/winmm/loopback/loopback_provider.h"
#include "tests/dialog/dialog_fixture.h"

namespace kt73b::cli {
namespace {

class SessionTest : public kt73b::testing::DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        winmm::SetProvidersForTesting({&winmm::LoopbackProvider::Instance()});
    }
    void TearDown() override {
        DialogTest::TearDown();
        winmm::SetProvidersForTesting(winmm::DefaultProviders());
    }

    // Runs the dialog with the session until the session ends it; returns the exit status.
    ExitStatus Run(SessionSettings settings) {
        // Both outputs run on the dialog's thread.
        SessionOutput output{[this](std::string_view text) { out_ += text; },
                             [this](std::string_view text) { err_ += text; }};
        UpdateSession session(std::move(settings), std::move(output));
        ui::TerminalBackend backend(session);
        ui::SetBackend(&backend);
        {
            CTn8UpdatorDlg dialog(1, kt73b::testing::FastTimings());
            dialog.SetRunObserver(&session);
            dialog.DoModal();
        }
        ui::SetBackend(&backend_);
        return session.Outcome();
    }

    std::string out_;
    std::string err_;
};

// What the session adds to a failure the dialog reports: the box's text and the next step on
// standard error, and the box's own exit status; never the completion line, even when every
// chunk went through and only the finish request was lost.
TEST_F(SessionTest, AFailureEndsWithTheExitStatusOfItsRow) {
    const emu::NamedFaultScript* script = emu::FindNamedFaultScript("finish-timeout");
    ASSERT_NE(script, nullptr);
    StartDevice(std::string(script->rules));
    EXPECT_EQ(Run({.emulatedDevice = true}), ExitStatus::kTransferError) << out_ << err_;
    EXPECT_EQ(err_, "kt73b-update: Error: Transfer error occurred.\nkt73b-update: " +
                        std::string(InfoFor(ExitStatus::kTransferError).nextStep) + "\n");
    EXPECT_EQ(out_.find("Version update completed."), std::string::npos);
}

TEST_F(SessionTest, WithoutAPortOfTheDevicesNameOrAnyDeviceNothingStarts) {
    StartDevice("", "Some Synth");
    EXPECT_EQ(Run({}), ExitStatus::kNoSuchPort) << out_ << err_;
    EXPECT_EQ(err_,
              "kt73b-update: no MIDI output has a name the KT-73B's ports have. The MIDI outputs "
              "are:\n  0  Some Synth\nChoose one with --out, by its position or its exact name.\n");
    EXPECT_EQ(RequestCount(emu::RequestKind::kIdentity), 0u);

    err_.clear();
    winmm::SetProvidersForTesting({});
    EXPECT_EQ(Run({}), ExitStatus::kNoSuchPort);
    EXPECT_TRUE(err_.starts_with("kt73b-update: no MIDI devices were found")) << err_;
    EXPECT_EQ(out_, "");
}

TEST_F(SessionTest, NamedPortsAreUsed) {
    StartDevice("update-mode=status:11", "Some Synth");
    EXPECT_EQ(Run({.in = "0", .out = "Some Synth"}), ExitStatus::kNotInUpdateMode) << err_;
    EXPECT_EQ(RequestCount(emu::RequestKind::kIdentity), 1u);
}

TEST_F(SessionTest, ListShowsBothListsAndTheDefaultsAndStartsNothing) {
    StartDevice("", "Some Synth");
    auto second = std::make_unique<emu::LoopbackEmulator>(emu::EmulatorSettings{});
    EXPECT_EQ(Run({.listOnly = true}), ExitStatus::kCompleted);
    EXPECT_EQ(out_,
              "MIDI IN\n  0  Some Synth\n  1  VELK KT Series  (default)\n"
              "MIDI OUT\n  0  Some Synth\n  1  VELK KT Series  (default)\n");
    EXPECT_EQ(err_, "");
    EXPECT_EQ(RequestCount(emu::RequestKind::kIdentity), 0u);
}

}  // namespace
}  // namespace kt73b::cli
