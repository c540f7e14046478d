// A WinMM that records every call the ports and the timer make and plays the driver's part on
// the test's command. Linked into the port tests in place of the real layer.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/winmm/mmsystem_api.h"

namespace kt73b::testing {

struct WinmmCall {
    std::string name;
    std::vector<std::uintptr_t> args;
};

class RecordingWinmm {
  public:
    static RecordingWinmm& Instance();

    // Back to a fresh machine: no calls, no failures, the default devices, nothing open.
    void Reset();

    std::vector<WinmmCall> Calls() const;
    std::vector<std::string> CallNames() const;
    void ClearCalls();
    // Off: calls still behave, but are not kept (for the stress test's hundred thousand).
    void SetRecording(bool on);

    // The next call of `name` returns `result` and does nothing else.
    void FailNext(const std::string& name, MMRESULT result);

    void SetDeviceNames(std::vector<std::string> inputs, std::vector<std::string> outputs);

    // The driver's side of midiIn: the buffers queued with midiInAddBuffer, oldest first.
    std::vector<MIDIHDR*> QueuedInputBuffers() const;
    // Fills the oldest queued buffer with `bytes`, marks it done (or not) and calls the callback
    // with `message`; false when no buffer is queued.
    bool ReturnInputBuffer(const std::vector<std::uint8_t>& bytes, UINT message = MIM_LONGDATA,
                           bool done = true);
    // Calls the open input's callback as the driver would.
    void CallInputCallback(UINT message, DWORD_PTR param1);

    // What midiOutLongMsg does with a header it accepted: mark it done at once (and call the
    // output's callback with MOM_DONE) or leave it to CompleteOutput or midiOutReset.
    void SetOutputCompletesAtOnce(bool at_once);
    // Marks the header in flight done and calls the output's callback with MOM_DONE, as the
    // driver does when the message has left; false when no header is in flight.
    bool CompleteOutput();
    // Called inside midiOutLongMsg once the header is accepted (after DONE, when at once).
    void SetLongMsgHook(std::function<void(MIDIHDR*)> hook);

    // The timer's side: the procedure and user value of the last timeSetEvent.
    LPTIMECALLBACK TimerProcedure() const;
    DWORD_PTR TimerUser() const;

    // Entry points used by the WinMM functions themselves, under Mutex().
    MMRESULT Enter(const std::string& name, std::vector<std::uintptr_t> args);
    std::mutex& Mutex() const { return mutex_; }

    struct State;
    State& Locked() { return *state_; }

  private:
    RecordingWinmm();

    mutable std::mutex mutex_;
    State* state_;
};

}  // namespace kt73b::testing
