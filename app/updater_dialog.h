// The updater's main window and the hub of an update: it owns the two MIDI ports, the 50 ms timer
// whose ticks run the receive side, the completion event, and the worker thread of a run.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "app/failure_table.h"
#include "app/receive_thread.h"
#include "app/run_observer.h"
#include "app/update_timings.h"
#include "engine/protocol_constants.h"
#include "midi/dxm_timer.h"
#include "midi/midi_in_port.h"
#include "midi/midi_out_port.h"
#include "platform/os/auto_reset_event.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"

namespace kt73b {

// The reply status the dialog writes when it closes: a running update ends at its next wait.
inline constexpr std::int32_t kReplyStatusClosing = 255;

class CTn8UpdatorDlg : public ui::Dialog {
  public:
    explicit CTn8UpdatorDlg(int instanceNumber, UpdateTimings timings = {});
    ~CTn8UpdatorDlg() override;

    bool OnInitDialog() override;
    void OnCommand(int id) override;
    void OnSysCommand(unsigned command) override;
    void OnDestroy() override;

    void FillPortLists();
    void OnExecute();
    void OnRescan();
    void RestoreControls();
    void EnableExecute(bool enable);

    // Device messages: the worker's requests and the receive side's automatic answers.
    int SendSysEx(const std::uint8_t* bytes, std::size_t length);
    void SendReply(std::uint8_t result);
    int SendEraseRequest(std::uint8_t model, std::uint32_t address, std::uint32_t size);
    int SendWriteData(std::uint8_t model, const std::uint8_t* chunk, std::uint32_t address,
                      std::uint32_t length);
    void DispatchInbound();

    // The update run, on its worker thread.
    static unsigned UpdateWorker(CTn8UpdatorDlg* dialog);
    int RunSteps();
    int EraseRegion(std::uint32_t address, std::uint32_t size);
    int WriteRegion(std::uint32_t address, std::uint32_t size, std::uint32_t imageId);

    int InstanceNumber() const { return instanceNumber_; }
    // Set before DoModal, by the dialog's owner; `observer` must outlive the dialog.
    void SetRunObserver(RunObserver* observer) { observer_ = observer; }

  protected:
    // Starts UpdateWorker on a new thread; false when the system refuses the thread.
    virtual bool StartWorkerThread();

  private:
    enum class Wait { kAnswered, kTimedOut };
    static constexpr auto kNoTimeout = std::chrono::milliseconds::max();

    static void CALLBACK TickProc(UINT timerId, UINT message, DWORD_PTR user, DWORD_PTR, DWORD_PTR);
    static void DispatchOnReceiveThread(void* dialog);
    void StartReceiveSide();
    void BindControls();
    void FinishPreviousWorker();
    void LogUnlessClosed(int entry);
    void SignalAnswer(std::uint64_t number, std::int32_t status,
                      std::optional<std::uint8_t> reportedModel = std::nullopt);
    void PrepareForAnswer();
    void SelectMatchingPorts(ui::ComboBox& list);
    Wait WaitForAnswer(std::chrono::milliseconds timeout);
    bool LetLateAnswerPass();
    std::int32_t AnswerStatus() const;
    void Pause(std::chrono::milliseconds duration);
    void Fail(FailureKind kind);
    bool MayWriteToChosenPorts();
    template <class Event>
    void Report(const Event& event);
    void SetStatusText(int stringId);
    void SetStatusText(std::string_view text);
    void SetProgressRange(std::uint32_t high);
    void SetProgress(std::uint32_t position);
    void SetStepCounter(int step);
    void SetDataTransmitStatus(std::uint32_t done, std::uint32_t size);
    int RunIdentification();
    int EnterUpdateMode();
    void Finish();

    const int instanceNumber_;
    const UpdateTimings timings_;

    // The write step's current image.
    const std::uint8_t* currentImage_ = nullptr;
    // The worker's own: the progress bar's upper end, reported with each position.
    std::uint32_t progressHigh_ = 0;
    RunObserver* observer_ = nullptr;  // set before the window exists, then only read

    // Runs DispatchInbound, woken by each queued message and by every tick; declared before the
    // ports so that it outlives the input callback that wakes it. When it is not running, the
    // tick runs DispatchInbound itself: one thread runs it, never two.
    ReceiveThread receiver_;
    MidiInPort inPort_;
    MidiOutPort outPort_;
    CDxMTimer timer_;
    os::AutoResetEvent completion_;

    // Written by the timer's thread (DispatchInbound) and by OnDestroy before they signal
    // completion_; read by the worker after its wait returns signalled. The event orders them.
    std::atomic<std::int32_t> replyStatus_{0};
    std::atomic<std::uint8_t> reportedModel_{0};
    // Orders the receive side's check and signal of an answer against the worker's mark and
    // reset before each request, so no answer slips between them.
    std::mutex answerMutex_;
    // Under answerMutex_, written by the worker before each request goes out: how many messages
    // the input port had queued by then. None of those can answer that request.
    std::uint64_t queuedBeforeRequest_ = 0;
    // The receive side's count of the messages it took from the queue, so the number of each;
    // only the thread that runs DispatchInbound touches it.
    std::uint64_t messagesTaken_ = 0;
    // Written by the dialog's thread (1, before the worker starts) and the worker (0).
    std::atomic<std::int32_t> busy_{0};
    // Set once by OnDestroy; every wait and pause of the worker looks at it.
    std::atomic<bool> closing_{false};
    std::mutex pauseMutex_;
    std::condition_variable pauseWake_;  // OnDestroy cuts a worker's pause short

    // The worker of the last run; joined before the next starts and at destruction.
    std::thread worker_;
    std::atomic<bool> workerRunning_{false};

    // Each sender builds its messages in storage of its own, allocated once.
    using MessageBuffer = std::array<std::uint8_t, kMessageBufferBytes>;
    std::unique_ptr<MessageBuffer> workerBuffer_;  // the worker's requests
    std::unique_ptr<MessageBuffer> replyBuffer_;   // the timer thread's answers

    ui::ComboBox midiInList_;
    ui::ComboBox midiOutList_;
    ui::ProgressCtrl progress_;
    ui::Button execute_;
    ui::Edit statusLine_;
    ui::Button rescan_;
    ui::Static picture_;
    ui::Edit stepCounter_;
};

// Handover: the observer hears the run on the dialog's thread, as the controls do.
template <class Event>
void CTn8UpdatorDlg::Report(const Event& event) {
    if (observer_ != nullptr) {
        OnDialogThread([&](ui::WindowHost&) { event(*observer_); });
    }
}

}  // namespace kt73b
