// A WinMM that records every call the ports and the timer make and plays the driver's part on
// the test's command. Linked into the port tests in place of the real layer.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
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
    // What the driver holds; read and written under the recorder's lock only.
    struct State {
        bool recording = true;
        std::vector<WinmmCall> calls;
        std::map<std::string, std::deque<MMRESULT>> failNext;
        std::vector<std::string> inputs{"USB Audio Device", "VELK KT Series"};
        std::vector<std::string> outputs{"USB Audio Device", "VELK KT Series"};
        DWORD_PTR inCallback = 0;
        DWORD_PTR inInstance = 0;
        std::deque<MIDIHDR*> inQueue;
        bool outAtOnce = true;
        std::function<void(MIDIHDR*)> longMsgHook;
        MIDIHDR* outInFlight = nullptr;
        DWORD_PTR outCallback = 0;
        DWORD_PTR outInstance = 0;
        LPTIMECALLBACK timerProcedure = nullptr;
        DWORD_PTR timerUser = 0;
        UINT nextTimerId = 7;
    };

    static RecordingWinmm& Instance() {
        static auto* winmm = new RecordingWinmm;
        return *winmm;
    }

    // The state, with the recorder's lock held while the returned object lives.
    struct LockedState {
        std::unique_lock<std::mutex> lock;
        State* state;
        State* operator->() { return state; }
    };
    LockedState Locked() { return {std::unique_lock(mutex_), &state_}; }

    // Back to a fresh machine: no calls, no failures, the default devices, nothing open.
    void Reset() { *Locked().state = State{}; }
    std::vector<WinmmCall> Calls() { return Locked()->calls; }
    std::vector<std::string> CallNames() {
        std::vector<std::string> names;
        for (const auto& call : Calls()) {
            names.push_back(call.name);
        }
        return names;
    }
    void ClearCalls() { Locked()->calls.clear(); }
    // Off: calls still behave, but are not kept (for the stress test's hundred thousand).
    void SetRecording(bool on) { Locked()->recording = on; }
    // The next call of `name` returns `result` and does nothing else.
    void FailNext(const std::string& name, MMRESULT result) {
        Locked()->failNext[name].push_back(result);
    }
    void SetDeviceNames(std::vector<std::string> inputs, std::vector<std::string> outputs) {
        auto state = Locked();
        state->inputs = std::move(inputs);
        state->outputs = std::move(outputs);
    }

    // The driver's side of midiIn: the buffers queued with midiInAddBuffer, oldest first.
    std::vector<MIDIHDR*> QueuedInputBuffers() {
        auto state = Locked();
        return {state->inQueue.begin(), state->inQueue.end()};
    }
    // Fills the oldest queued buffer with `bytes`, marks it done (or not) and calls the callback
    // with `message`; false when no buffer is queued.
    bool ReturnInputBuffer(const std::vector<std::uint8_t>& bytes, UINT message = MIM_LONGDATA,
                           bool done = true);
    // Calls the open input's callback as the driver would, outside the lock.
    void CallInputCallback(UINT message, DWORD_PTR param1);

    // What midiOutLongMsg does with a header it accepted: mark it done at once (and call the
    // output's callback with MOM_DONE) or leave it to CompleteOutput or midiOutReset.
    void SetOutputCompletesAtOnce(bool atOnce) { Locked()->outAtOnce = atOnce; }
    // Marks the header in flight done and calls the output's callback with MOM_DONE, as the
    // driver does when the message has left; false when no header is in flight.
    bool CompleteOutput();
    // Called inside midiOutLongMsg once the header is accepted (after DONE, when at once).
    void SetLongMsgHook(std::function<void(MIDIHDR*)> hook) {
        Locked()->longMsgHook = std::move(hook);
    }

    // The timer's side: the procedure and user value of the last timeSetEvent.
    LPTIMECALLBACK TimerProcedure() { return Locked()->timerProcedure; }
    DWORD_PTR TimerUser() { return Locked()->timerUser; }

  private:
    RecordingWinmm() = default;

    std::mutex mutex_;
    State state_;
};

}  // namespace kt73b::testing
