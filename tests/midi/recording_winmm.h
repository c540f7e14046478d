// A WinMM that records the calls the ports and the timer make and plays the driver's part on the
// test's command. Linked in place of the real layer where a test must order every driver event.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/winmm/mmsystem_api.h"

namespace kt73b::testing {

class RecordingWinmm {
  public:
    // What the driver holds; read and written under the recorder's lock only.
    struct State {
        bool recording = true;
        // Each call's name and the numbers that say what it asked for ("timeSetEvent 50 1 257").
        std::vector<std::string> calls;
        std::map<std::string, std::deque<MMRESULT>> failNext;
        std::vector<std::string> inputs{"USB Audio Device", "VELK KT Series"};
        std::vector<std::string> outputs{"USB Audio Device", "VELK KT Series"};
        DWORD_PTR inCallback = 0, inInstance = 0;
        std::deque<MIDIHDR*> inQueue;
        bool outAtOnce = true;
        std::function<void(MIDIHDR*)> longMsgHook;
        MIDIHDR* outInFlight = nullptr;
        DWORD_PTR outCallback = 0, outInstance = 0;
        LPTIMECALLBACK timerProcedure = nullptr;
        DWORD_PTR timerUser = 0;
        UINT nextTimerId = 7;
    };
    struct LockedState {
        std::unique_lock<std::mutex> lock;
        State* state;
        State* operator->() { return state; }
    };

    // Never destroyed: a driver thread may still call in while the process ends.
    static RecordingWinmm& Instance() {
        static auto* winmm = new RecordingWinmm;
        return *winmm;
    }
    // The state, with the recorder's lock held while the returned object lives.
    LockedState Locked() { return {std::unique_lock(mutex_), &state_}; }

    // Back to a fresh machine: no calls, no failures, two devices each way, nothing open.
    void Reset() { *Locked().state = State{}; }
    std::vector<std::string> Calls() { return Locked()->calls; }
    void ClearCalls() { Locked()->calls.clear(); }
    // Off: calls still behave, but are not kept (for the tests of a hundred thousand).
    void SetRecording(bool on) { Locked()->recording = on; }
    // The next call named `name` returns `result` and does nothing else.
    void FailNext(const std::string& name, MMRESULT result) {
        Locked()->failNext[name].push_back(result);
    }

    // The driver's side of midiIn: the buffers midiInAddBuffer queued and no reset gave back.
    std::size_t QueuedInputBuffers() { return Locked()->inQueue.size(); }
    // Fills the oldest queued buffer with `bytes`, marks it done (or not) and calls the callback
    // with `message`; false when none is queued.
    bool ReturnInputBuffer(const std::vector<std::uint8_t>& bytes, UINT message = MIM_LONGDATA,
                           bool done = true) {
        MIDIHDR* header = nullptr;
        {
            auto state = Locked();
            if (state->inQueue.empty()) {
                return false;
            }
            header = state->inQueue.front();
            state->inQueue.pop_front();
        }
        const std::size_t count = std::min<std::size_t>(bytes.size(), header->dwBufferLength);
        std::copy_n(bytes.begin(), count, header->lpData);
        header->dwBytesRecorded = static_cast<DWORD>(count);
        SetFlags(header, MHDR_INQUEUE | MHDR_DONE, done ? MHDR_DONE : 0);
        CallInputCallback(message, reinterpret_cast<DWORD_PTR>(header));
        return true;
    }
    // Calls the open input's callback outside the lock, as a driver's thread would.
    void CallInputCallback(UINT message, DWORD_PTR param1) {
        const auto [callback, instance] = [this] {
            auto state = Locked();
            return std::pair(state->inCallback, state->inInstance);
        }();
        if (callback != 0) {
            reinterpret_cast<MidiInCallback>(callback)(nullptr, message, instance, param1, 0);
        }
    }

    // What midiOutLongMsg does with a header: mark it done at once (and call back with MOM_DONE)
    // or leave it in flight for CompleteOutput or midiOutReset.
    void SetOutputCompletesAtOnce(bool atOnce) { Locked()->outAtOnce = atOnce; }
    // Marks the header in flight done and calls back with MOM_DONE; false when none is in flight.
    bool CompleteOutput() {
        const auto [callback, instance, header] = [this] {
            auto state = Locked();
            return std::tuple(state->outCallback, state->outInstance,
                              std::exchange(state->outInFlight, nullptr));
        }();
        if (header == nullptr) {
            return false;
        }
        SetFlags(header, MHDR_INQUEUE, MHDR_DONE);
        if (callback != 0) {
            reinterpret_cast<MidiOutCallback>(callback)(nullptr, MOM_DONE, instance,
                                                        reinterpret_cast<DWORD_PTR>(header), 0);
        }
        return true;
    }
    // Called inside midiOutLongMsg once the header is accepted (after DONE, when at once).
    void SetLongMsgHook(std::function<void(MIDIHDR*)> hook) {
        Locked()->longMsgHook = std::move(hook);
    }

    // The procedure and user value of the last timeSetEvent.
    LPTIMECALLBACK TimerProcedure() { return Locked()->timerProcedure; }
    DWORD_PTR TimerUser() { return Locked()->timerUser; }

    // A header's flags as the driver's thread changes them, seen by a port that polls them.
    static void SetFlags(MIDIHDR* header, DWORD clear, DWORD set) {
        std::atomic_ref<DWORD> flags(header->dwFlags);
        flags.store((flags.load() & ~clear) | set, std::memory_order_release);
    }

  private:
    using MidiInCallback = void (*)(HMIDIIN, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR);
    using MidiOutCallback = void (*)(HMIDIOUT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR);

    RecordingWinmm() = default;

    std::mutex mutex_;
    State state_;
};

}  // namespace kt73b::testing
