#include "app/updater_dialog.h"

#include <cstdio>
#include <string>
#include <system_error>

#include "app/about_dialog.h"
#include "app/append_log.h"
#include "app/instance_numbering.h"
#include "app/log_messages.h"
#include "app/port_selection.h"
#include "engine/image_set.h"
#include "platform/winmm/emulated_devices.h"
#include "resources/ui/ui_resources.h"

namespace kt73b {

namespace {
constexpr int kProgressRangeMax = 100;
constexpr unsigned kSysCommandMask = 0xFFF0;
constexpr int kMidiNameBytes = 40;
}  // namespace

CTn8UpdatorDlg::CTn8UpdatorDlg(int instanceNumber, UpdateTimings timings)
    : ui::Dialog(IDD_UPDATER_DIALOG),
      instanceNumber_(instanceNumber),
      timings_(timings),
      workerBuffer_(std::make_unique<MessageBuffer>()),
      replyBuffer_(std::make_unique<MessageBuffer>()) {}

CTn8UpdatorDlg::~CTn8UpdatorDlg() {
    // The timer and the receive side go first, so nothing they use goes while they run; the
    // worker has been told to end by OnDestroy and finds the window gone, so joining it cannot
    // wait on this thread.
    timer_.Stop();
    receiver_.Stop();
    closing_ = true;
    completion_.Set();
    pauseWake_.notify_all();
    if (worker_.joinable()) {
        worker_.join();
    }
}

void CTn8UpdatorDlg::BindControls() {
    midiInList_.Bind(this, IDC_MIDI_IN_LIST);
    midiOutList_.Bind(this, IDC_MIDI_OUT_LIST);
    progress_.Bind(this, IDC_PROGRESS);
    execute_.Bind(this, res::kIdOk);
    statusLine_.Bind(this, IDC_STATUS_LINE);
    rescan_.Bind(this, IDC_RESCAN);
    picture_.Bind(this, IDC_PICTURE);
    stepCounter_.Bind(this, IDC_STEP_COUNTER);
}

bool CTn8UpdatorDlg::OnInitDialog() {
    BindControls();
    if (const std::string_view about = res::LoadString(IDS_ABOUTBOX); !about.empty()) {
        OnDialogThread(
            [&](ui::WindowHost& host) { host.AppendSystemMenuEntry(IDM_ABOUTBOX, about); });
    }
    FillPortLists();
    StartReceiveSide();
    progress_.SetRange32(0, kProgressRangeMax);
    const std::string title = InstanceName(instanceNumber_);
    OnDialogThread([&](ui::WindowHost& host) { host.SetTitle(title); });
    return true;
}

// Before any port opens: the input port then wakes the receive thread from its first message.
void CTn8UpdatorDlg::StartReceiveSide() {
    if (timings_.dispatchOnArrival && receiver_.Start(&DispatchOnReceiveThread, this)) {
        inPort_.SetListener(&receiver_);
    }
    timer_.Start(timings_.tickPeriodMs, &CTn8UpdatorDlg::TickProc,
                 reinterpret_cast<DWORD_PTR>(this));
}

void CTn8UpdatorDlg::OnCommand(int id) {
    switch (id) {
        case res::kIdOk:
            OnExecute();  // Execute and Enter never close the dialog
            break;
        case IDC_RESCAN:
            OnRescan();
            break;
        default:
            ui::Dialog::OnCommand(id);
    }
}

void CTn8UpdatorDlg::OnSysCommand(unsigned command) {
    if ((command & kSysCommandMask) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
    }
}

void CTn8UpdatorDlg::FillPortLists() {
    char name[kMidiNameBytes];
    midiOutList_.ResetContent();
    for (UINT i = 0; i < outPort_.GetNumDevs(); ++i) {
        outPort_.GetDeviceName(i, name);
        midiOutList_.AddString(name);
    }
    midiInList_.ResetContent();
    for (UINT i = 0; i < inPort_.GetNumDevs(); ++i) {
        inPort_.GetDeviceName(i, name);
        midiInList_.AddString(name);
    }
    SelectMatchingPorts(midiOutList_);
    SelectMatchingPorts(midiInList_);
}

// Every matching entry is selected in turn, so the last match in the list stays selected.
void CTn8UpdatorDlg::SelectMatchingPorts(ui::ComboBox& list) {
    const auto candidates = CandidatePortNames(instanceNumber_);
    for (int position = 0; position < list.GetCount(); ++position) {
        if (MatchesCandidate(list.GetLBText(position), candidates)) {
            list.SetCurSel(position);
        }
    }
}

void CTn8UpdatorDlg::OnExecute() {
    if (busy_ == 1) {
        MessageBox(res::LoadString(IDS_IN_PROGRESS), res::LoadString(IDS_ERROR_CAPTION),
                   ui::kMbOk | ui::kMbIconError);
        return;
    }
    FinishPreviousWorker();
    if (!MayWriteToChosenPorts()) {
        Fail(FailureKind::kPlaceholderFirmware);
        return;
    }
    outPort_.Close();
    if (outPort_.Open(static_cast<UINT>(midiOutList_.GetCurSel())) == 0) {
        Fail(FailureKind::kCantOpenMidiOut);
        return;
    }
    inPort_.CloseIfOpen();
    inPort_.SetDeviceIndex(static_cast<UINT>(midiInList_.GetCurSel()));
    if (inPort_.Open() == 0) {
        Fail(FailureKind::kCantOpenMidiIn);
        return;
    }
    midiInList_.EnableWindow(false);
    midiOutList_.EnableWindow(false);
    execute_.EnableWindow(false);
    rescan_.EnableWindow(false);
    busy_ = 1;
    completion_.Reset();
    if (!StartWorkerThread()) {
        Fail(FailureKind::kWorkerNotStarted);
    }
}

// Placeholder images are not firmware: they may go only to a device this program emulates, and
// a real device may carry the emulated device's name, so the name decides nothing.
bool CTn8UpdatorDlg::MayWriteToChosenPorts() {
    if (IsRealFirmware(ActiveImageSet())) {
        return true;
    }
    // No choice at all opens nothing, and says so in the port's own box.
    const int out = midiOutList_.GetCurSel();
    const int in = midiInList_.GetCurSel();
    return (out < 0 || winmm::IsEmulatedMidiOut(static_cast<UINT>(out))) &&
           (in < 0 || winmm::IsEmulatedMidiIn(static_cast<UINT>(in)));
}

// A run that has restored the controls may still be making its last control calls, which wait
// for this thread: carry them out here until the worker has ended, then join it.
void CTn8UpdatorDlg::FinishPreviousWorker() {
    while (workerRunning_) {
        RunPendingCalls();
        std::this_thread::yield();
    }
    if (worker_.joinable()) {
        worker_.join();
    }
}

bool CTn8UpdatorDlg::StartWorkerThread() {
    workerRunning_ = true;
    // std::thread reports a refused thread only by throwing; this is the one place we catch.
    try {
        // Handover: the new thread owns the run until it clears workerRunning_ as its last act.
        worker_ = std::thread([this] { UpdateWorker(this); });
    } catch (const std::system_error&) {
        workerRunning_ = false;
        return false;
    }
    return true;
}

void CTn8UpdatorDlg::OnRescan() {
    FillPortLists();
    EnableExecute(true);
}

void CTn8UpdatorDlg::RestoreControls() {
    // Cleared first: once Execute is enabled a click must find the run over, not "In Progress."
    busy_ = 0;
    midiInList_.EnableWindow(true);
    midiOutList_.EnableWindow(true);
    execute_.EnableWindow(true);
    rescan_.EnableWindow(true);
}

void CTn8UpdatorDlg::EnableExecute(bool enable) {
    execute_.EnableWindow(enable);
}

void CTn8UpdatorDlg::OnDestroy() {
    {
        std::lock_guard lock(pauseMutex_);  // orders the close before any later log line
        closing_ = true;
    }
    outPort_.Close();
    inPort_.CloseIfOpen();
    replyStatus_ = kReplyStatusClosing;
    // Handover: the worker's current or next wait returns with the closing status.
    completion_.Set();
    pauseWake_.notify_all();
}

// Log line first, then the box, then the controls, as every failure of the table goes.
void CTn8UpdatorDlg::Fail(FailureKind kind) {
    const FailureRow& row = RowFor(kind);
    if (row.logEntry != kNoLogEntry) {
        LogUnlessClosed(row.logEntry);
    }
    MessageBox(FailureText(row), res::LoadString(IDS_ERROR_CAPTION), ui::kMbOk | ui::kMbIconError);
    if (row.restoresControls) {
        RestoreControls();
    }
    Report([kind](RunObserver& observer) { observer.Failed(kind); });
}

}  // namespace kt73b
