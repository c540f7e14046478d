// Every failing path of an update: its log lines, its message box, the controls after it and the
// number of times a request was sent.
#include <gtest/gtest.h>

#include "app/model_byte.h"
#include "dialog_fixture.h"

namespace kt73b::testing {
namespace {

using emu::RequestKind;
using Texts = std::vector<std::string>;

class FailurePaths : public DialogTest {
  protected:
    // Runs one update against a device with `faults` until its message box has been shown and
    // the controls are back.
    void RunFailingUpdate(const std::string& faults) {
        CreateLogFile();
        StartDevice(faults);
        OpenDialog();
        Execute();
        ASSERT_TRUE(WaitForBoxes(1, kUpdateWait)) << Status();
        ASSERT_TRUE(WaitUntilRestored());
    }
    void ExpectReady() {
        EXPECT_TRUE(Control(IDC_MIDI_IN_LIST).enabled);
        EXPECT_TRUE(Control(IDC_MIDI_OUT_LIST).enabled);
        EXPECT_TRUE(Control(ui::kIdOk).enabled);
        EXPECT_TRUE(Control(IDC_RESCAN).enabled);
    }
};

// One failing answer per row: what the user is shown and logged (`lines` times `line`), where
// the run stopped, and how often the failing request went out.
struct FailureRow {
    const char* name;
    const char* faults;
    int lines;
    const char* line;
    const char* box;
    RequestKind resent;
    std::uint32_t sends;
    const char* stepCounter;
};

constexpr const char* kTransferError = "Transfer error occurred.";
const FailureRow kFailureRows[] = {
    {"IdentityTimeOut", "identity=ignore", 1, "Midi out error.", "Time out error(1)",
     RequestKind::kIdentity, 1, "0/6"},
    {"IdentityAnsweredWithAFailingStatus", "identity=status:5", 1, "Illegal device connected.",
     "Illegal device connected.", RequestKind::kIdentity, 1, "0/6"},
    {"DeviceNotInUpdateMode", "update-mode=status:11", 1, "Please use the firmware update mode.",
     "Please use the firmware update mode.", RequestKind::kErase, 0, "0/6"},
    {"UpdateModeRefusedOtherwiseIsATransferErrorWithoutLogLine", "update-mode=status:1", 0, "",
     kTransferError, RequestKind::kErase, 0, "0/6"},
    {"EraseTimeOutEndsAtOnceWithoutResend", "erase#1=ignore", 1, "(Erase)Time Out Error.",
     "Time out error(3)", RequestKind::kErase, 1, "1/6"},
    {"SeventhRefusedEraseIsATransferError", "erase=status:1", 1, "(Erase)Time Out Error.",
     kTransferError, RequestKind::kErase, 7, "1/6"},
    {"SeventhWriteTimeOut", "write#2-8=ignore", 1, "(Write)Time Out Error.", "Time out error(2)",
     RequestKind::kWrite, 8, "3/6"},
    {"ThreeTimeOutsAndFourCrcErrorsEndAtTheSeventhFailure", "write#2-4=ignore;write#5-8=status:8",
     4, "(CRC)Transfer error occurred.", kTransferError, RequestKind::kWrite, 8, "3/6"},
    {"UnansweredFinishIsATransferError", "finish=ignore", 0, "", kTransferError,
     RequestKind::kFinish, 1, "6/6"},
};

class FailureTable : public FailurePaths, public ::testing::WithParamInterface<FailureRow> {};

TEST_P(FailureTable, ShowsItsBoxLogsItsLinesAndGivesTheControlsBack) {
    const FailureRow& row = GetParam();
    RunFailingUpdate(row.faults);
    EXPECT_EQ(LogTexts(), Texts(row.lines, row.line));
    EXPECT_EQ(BoxTexts(), Texts{row.box});
    EXPECT_EQ(RequestCount(row.resent), row.sends);
    EXPECT_EQ(Control(IDC_STEP_COUNTER).text, row.stepCounter);
    EXPECT_NE(Status(), "Version update completed.");
    ExpectReady();
}

INSTANTIATE_TEST_SUITE_P(Rows, FailureTable, ::testing::ValuesIn(kFailureRows),
                         [](const auto& row) { return std::string(row.param.name); });

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
    ASSERT_TRUE(WaitForBoxes(2));
    ASSERT_TRUE(WaitUntilRestored());
    EXPECT_EQ(BoxTexts(), (Texts{"Can't open MIDI Out device.", "Time out error(1)"}));
    EXPECT_EQ(LogTexts(), (Texts{"Midi out error.", "Midi out error."}));
    ExpectReady();
}

TEST_F(FailurePaths, RejectedModelIsKeptForTheNextRun) {
    RunFailingUpdate("identity#1=model:0x59");
    EXPECT_EQ(LogTexts(), Texts{"Illegal device connected."});
    EXPECT_EQ(BoxTexts(), Texts{"Illegal device connected."});
    EXPECT_EQ(ModelByte(), 0x59);
    EXPECT_EQ(HostIdentityFamily(), 0x00);  // no device has passed the check
    EXPECT_EQ(RequestCount(RequestKind::kUpdateMode), 0u);
    ExpectReady();

    // The next run identifies a 0x57 device again and goes on to update mode with it.
    Execute();
    ASSERT_TRUE(WaitForStatus("Data transmit  0 / 262144 ", kShortWait))
        << Status() << " boxes: " << backend_.MessageBoxes().size();
    EXPECT_EQ(ModelByte(), 0x57);
    EXPECT_EQ(HostIdentityFamily(), 0x57);
}

// Six failures of one chunk in a row, each logged when the device reported it, and the seventh
// send is taken: the run goes on and every chunk reaches the flash.
TEST_F(FailurePaths, SixFailedSendsOfAChunkThenSuccessGoesOn) {
    CreateLogFile();
    StartDevice("write#2-5=ignore;write#6-7=status:3");
    OpenDialog();
    Execute();
    ASSERT_TRUE(WaitForStatus("Version update completed.", kUpdateWait)) << Status();
    EXPECT_EQ(LogTexts(), Texts(2, "(Flash Write)Transfer error occurred."));
    EXPECT_TRUE(backend_.MessageBoxes().empty());
    EXPECT_EQ(RequestCount(RequestKind::kWrite), 1902u + 6u);
    EXPECT_EQ(FlashVersusImages(), "");
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
    ASSERT_TRUE(WaitForBoxes(2));
    ASSERT_TRUE(WaitUntilRestored());
    EXPECT_EQ(BoxTexts(), (Texts{"Can't open MIDI Out device.", "Can't open MIDI In device."}));
    EXPECT_EQ(LogTexts(), (Texts{"Midi out error.", "Midi out error."}));
    EXPECT_EQ(RequestCount(RequestKind::kIdentity), 0u);
    ExpectReady();
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
    ASSERT_TRUE(WaitForBoxes(1));
    EXPECT_EQ(BoxTexts(), Texts{"The update could not be started."});
    ASSERT_TRUE(WaitUntilRestored());
    ExpectReady();
    EXPECT_EQ(RequestCount(RequestKind::kIdentity), 0u);
}

}  // namespace
}  // namespace kt73b::testing
