// Every failing path of an update: its log lines, its message box, the controls after it and the
// number of times a request was sent.
#include "app/failure_table.h"
#include "app/log_messages.h"
#include "app/model_byte.h"
#include "app/run_outcome.h"
#include "dialog_fixture.h"
#include "engine/image_set.h"
#include "engine/protocol_constants.h"

namespace kt73b::testing {
namespace {

using emu::RequestKind;
using Texts = std::vector<std::string>;

class FailurePaths : public DialogTest {
  protected:
    // Runs one update against a device with `faults` until its message box has been shown and
    // the run has reported its end.
    void RunFailingUpdate(const std::string& faults) {
        CreateLogFile();
        StartDevice(faults);
        auto dialog = std::make_unique<CTn8UpdatorDlg>(1, FastTimings());
        dialog->SetRunObserver(&outcome_);
        OpenDialog(std::move(dialog));
        Execute();
        ASSERT_EQ(outcome_.WaitForEnd(kUpdateWait), RunOutcome::End::kFailed) << Status();
    }
    // Once the run has shown `boxes` and given the controls back: its boxes, its log lines and
    // every control ready for the next run.
    void ExpectEnd(const Texts& boxes, const Texts& lines) {
        ASSERT_TRUE(WaitForBoxes(boxes.size()));
        ASSERT_TRUE(WaitUntilRestored());
        EXPECT_EQ(BoxTexts(), boxes);
        EXPECT_EQ(LogTexts(), lines);
        for (const int id : {IDC_MIDI_IN_LIST, IDC_MIDI_OUT_LIST, ui::kIdOk, IDC_RESCAN}) {
            EXPECT_TRUE(Control(id).enabled) << id;
        }
    }

    RunOutcome outcome_;
};

// Each row of the failure table that a device can bring about, through the emulator's faults:
// the run must end in that row, and show, log and give back what the row says. `earlier` lines
// are logged before the row's own, once per failing answer; `sends` is how often the failing
// request went out.
struct DeviceFault {
    const char* name;
    FailureKind kind;
    const char* faults;
    int earlier;
    const char* earlierLine;
    RequestKind resent;
    std::uint32_t sends;
    const char* stepCounter;
};

const DeviceFault kDeviceFaults[] = {
    {"IdentityTimeOut", FailureKind::kIdentityTimeOut, "identity=ignore", 0, "",
     RequestKind::kIdentity, 1, "0/6"},
    {"IdentityAnsweredWithAFailingStatus", FailureKind::kIllegalDevice, "identity=status:5", 0, "",
     RequestKind::kIdentity, 1, "0/6"},
    {"DeviceNotInUpdateMode", FailureKind::kNotInUpdateMode, "update-mode=status:11", 0, "",
     RequestKind::kErase, 0, "0/6"},
    {"UpdateModeRefusedOtherwise", FailureKind::kUpdateModeRefused, "update-mode=status:1", 0, "",
     RequestKind::kErase, 0, "0/6"},
    {"EraseTimeOutEndsAtOnceWithoutResend", FailureKind::kEraseTimeOut, "erase#1=ignore", 0, "",
     RequestKind::kErase, 1, "1/6"},
    {"SeventhRefusedErase", FailureKind::kEraseRefused, "erase=status:1", 0, "",
     RequestKind::kErase, 7, "1/6"},
    {"SeventhWriteTimeOut", FailureKind::kWriteTimeOut, "write#2-8=ignore", 0, "",
     RequestKind::kWrite, 8, "3/6"},
    {"ThreeTimeOutsAndFourCrcErrorsEndAtTheSeventhFailure", FailureKind::kWriteRefused,
     "write#2-4=ignore;write#5-8=status:8", 4, "(CRC)Transfer error occurred.", RequestKind::kWrite,
     8, "3/6"},
    {"FourFlashErrorsAfterThreeTimeOutsEndTheSame", FailureKind::kWriteRefused,
     "write#2-4=ignore;write#5-8=status:3", 4, "(Flash Write)Transfer error occurred.",
     RequestKind::kWrite, 8, "3/6"},
    {"UnansweredFinish", FailureKind::kFinishTimeOut, "finish=ignore", 0, "", RequestKind::kFinish,
     1, "6/6"},
};

class DeviceFaults : public FailurePaths, public ::testing::WithParamInterface<DeviceFault> {};

TEST_P(DeviceFaults, EndInTheirRowWithItsBoxItsLogLineAndTheControlsBack) {
    const DeviceFault& fault = GetParam();
    const kt73b::FailureRow& row = RowFor(fault.kind);
    RunFailingUpdate(fault.faults);
    EXPECT_EQ(outcome_.Failure(), fault.kind);
    Texts lines(static_cast<std::size_t>(fault.earlier), fault.earlierLine);
    if (row.logEntry != kNoLogEntry) {
        lines.emplace_back(kLogMessages[static_cast<std::size_t>(row.logEntry)]);
    }
    EXPECT_TRUE(row.restoresControls);
    ExpectEnd({std::string(FailureText(row))}, lines);
    EXPECT_EQ(RequestCount(fault.resent), fault.sends);
    EXPECT_EQ(Control(IDC_STEP_COUNTER).text, fault.stepCounter);
    EXPECT_NE(Status(), "Version update completed.");
}

INSTANTIATE_TEST_SUITE_P(Rows, DeviceFaults, ::testing::ValuesIn(kDeviceFaults),
                         [](const auto& fault) { return std::string(fault.param.name); });

TEST_F(FailurePaths, IdentityRequestThatCannotBeSentThenNoAnswer) {
    CreateLogFile();
    StartDevice();
    OpenDialog();
    // Execute, and take the device away before the worker's first send: the worker's first
    // control call waits for this thread, which removes the device first.
    dialog_->OnDialogThread([this](ui::WindowHost&) {
        dialog_->OnExecute();
        device_.reset();
    });
    ExpectEnd({"Can't open MIDI Out device.", "Time out error(1)"},
              {"Midi out error.", "Midi out error."});
}

TEST_F(FailurePaths, RejectedModelIsKeptForTheNextRun) {
    RunFailingUpdate("identity#1=model:0x59");
    ExpectEnd({"Illegal device connected."}, {"Illegal device connected."});
    EXPECT_EQ(ModelByte(), 0x59);
    EXPECT_EQ(HostIdentityFamily(), 0x00);  // no device has passed the check
    EXPECT_EQ(RequestCount(RequestKind::kUpdateMode), 0u);

    // The next run identifies a 0x57 device again and goes on to update mode with it.
    Execute();
    ASSERT_TRUE(WaitForStatus("Data transmit  0 / 262144 ", kShortWait))
        << Status() << " boxes: " << backend_.MessageBoxes().size();
    EXPECT_EQ(ModelByte(), 0x57);
    EXPECT_EQ(HostIdentityFamily(), 0x57);
}

// Copy 2 pre-selects nothing (the device is not " (2)"), and -1 names no device here.
TEST_F(FailurePaths, PortsThatDoNotOpenShowTheirBoxesAndSendNothing) {
    CreateLogFile();
    StartDevice();
    OpenDialog(2);
    EXPECT_EQ(Control(IDC_MIDI_OUT_LIST).selection, -1);
    Execute();
    ASSERT_TRUE(WaitForBoxes(1));
    ASSERT_TRUE(WaitUntilRestored());
    backend_.SelectListItem(IDD_UPDATER_DIALOG, IDC_MIDI_OUT_LIST, 0);
    Execute();  // the output opens; the input does not
    ExpectEnd({"Can't open MIDI Out device.", "Can't open MIDI In device."},
              {"Midi out error.", "Midi out error."});
    EXPECT_EQ(RequestCount(RequestKind::kIdentity), 0u);
}

TEST_F(FailurePaths, ExecuteWhileBusySaysInProgress) {
    StartDevice("update-mode=ignore");
    OpenDialog();
    Execute();
    ASSERT_TRUE(WaitForStatus("Erasing Flash memory."));
    // Enter reaches the handler even while the button is disabled.
    dialog_->OnDialogThread([this](ui::WindowHost&) { dialog_->OnExecute(); });
    ASSERT_TRUE(WaitForBoxes(1));
    EXPECT_EQ(BoxTexts(), Texts{"In Progress."});
    EXPECT_FALSE(Control(ui::kIdOk).enabled);
    EXPECT_EQ(RequestCount(RequestKind::kIdentity), 1u);
}

// A dialog whose system refuses the worker thread.
class NoThreadDialog : public CTn8UpdatorDlg {
  public:
    NoThreadDialog() : CTn8UpdatorDlg(1, FastTimings()) {}

  protected:
    bool StartWorkerThread() override { return false; }
};

TEST_F(FailurePaths, WorkerThatCannotStartRestoresTheControlsAndSaysSo) {
    StartDevice();
    OpenDialog(std::make_unique<NoThreadDialog>());
    Execute();
    ExpectEnd({"The update could not be started."}, {});
    EXPECT_EQ(RequestCount(RequestKind::kIdentity), 0u);
}

// The write step would otherwise read past the end of an image shorter than its region.
TEST_F(FailurePaths, AnImageShorterThanItsRegionFailsItsStepBeforeAnyChunkGoesOut) {
    const ImageSet builtIn = ActiveImageSet();
    ImageSet shortened = builtIn;
    shortened.images[1] = shortened.images[1].first(3 * kWriteChunkBytes);  // image 136
    UseImageSet(shortened);
    RunFailingUpdate("");
    UseImageSet(builtIn);
    EXPECT_EQ(outcome_.Failure(), FailureKind::kImageUnusable);
    ExpectEnd({"Transfer error occurred."}, {});
    EXPECT_EQ(RequestCount(RequestKind::kWrite), 0u);
    EXPECT_EQ(Control(IDC_STEP_COUNTER).text, "3/6");
}

}  // namespace
}  // namespace kt73b::testing
