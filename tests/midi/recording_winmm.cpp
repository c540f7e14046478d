#include "tests/midi/recording_winmm.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <deque>
#include <utility>

namespace kt73b::testing {

using MidiInCallback = void (*)(HMIDIIN, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR);
using MidiOutCallback = void (*)(HMIDIOUT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR);

struct RecordingWinmm::State {
    bool recording = true;
    std::vector<WinmmCall> calls;
    std::map<std::string, std::deque<MMRESULT>> fail_next;
    std::map<std::string, MMRESULT> fail_always;
    std::vector<std::string> inputs{"USB Audio Device", "VELK KT Series"};
    std::vector<std::string> outputs{"USB Audio Device", "VELK KT Series"};
    DWORD_PTR in_callback = 0;
    DWORD_PTR in_instance = 0;
    HMIDIIN in_handle = nullptr;
    std::deque<MIDIHDR*> in_queue;
    bool out_at_once = true;
    std::function<void(MIDIHDR*)> long_msg_hook;
    MIDIHDR* out_in_flight = nullptr;
    DWORD_PTR out_callback = 0;
    DWORD_PTR out_instance = 0;
    HMIDIOUT out_handle = nullptr;
    LPTIMECALLBACK timer_procedure = nullptr;
    DWORD_PTR timer_user = 0;
    UINT next_timer_id = 7;
    bool time_caps_fail = false;
    std::uintptr_t next_handle = 0x1000;
};

RecordingWinmm::RecordingWinmm() : state_(new State) {}

RecordingWinmm& RecordingWinmm::Instance() {
    static auto* winmm = new RecordingWinmm;
    return *winmm;
}

void RecordingWinmm::Reset() {
    std::lock_guard lock(mutex_);
    *state_ = State{};
}

std::vector<WinmmCall> RecordingWinmm::Calls() const {
    std::lock_guard lock(mutex_);
    return state_->calls;
}

std::vector<std::string> RecordingWinmm::CallNames() const {
    return Names(Calls());
}

void RecordingWinmm::ClearCalls() {
    std::lock_guard lock(mutex_);
    state_->calls.clear();
}

void RecordingWinmm::SetRecording(bool on) {
    std::lock_guard lock(mutex_);
    state_->recording = on;
}

void RecordingWinmm::FailNext(const std::string& name, MMRESULT result) {
    std::lock_guard lock(mutex_);
    state_->fail_next[name].push_back(result);
}

void RecordingWinmm::FailAlways(const std::string& name, MMRESULT result) {
    std::lock_guard lock(mutex_);
    state_->fail_always[name] = result;
}

void RecordingWinmm::SetDeviceNames(std::vector<std::string> inputs,
                                    std::vector<std::string> outputs) {
    std::lock_guard lock(mutex_);
    state_->inputs = std::move(inputs);
    state_->outputs = std::move(outputs);
}

std::vector<MIDIHDR*> RecordingWinmm::QueuedInputBuffers() const {
    std::lock_guard lock(mutex_);
    return {state_->in_queue.begin(), state_->in_queue.end()};
}

bool RecordingWinmm::ReturnInputBuffer(const std::vector<std::uint8_t>& bytes) {
    return ReturnInputBufferAs(MIM_LONGDATA, bytes, true);
}

bool RecordingWinmm::ReturnInputBufferAs(UINT message, const std::vector<std::uint8_t>& bytes,
                                         bool done) {
    MIDIHDR* header = nullptr;
    {
        std::lock_guard lock(mutex_);
        if (state_->in_queue.empty()) {
            return false;
        }
        header = state_->in_queue.front();
        state_->in_queue.pop_front();
    }
    const std::size_t count = std::min<std::size_t>(bytes.size(), header->dwBufferLength);
    if (count != 0) {
        std::memcpy(header->lpData, bytes.data(), count);
    }
    header->dwBytesRecorded = static_cast<DWORD>(count);
    header->dwFlags = (header->dwFlags & ~(MHDR_INQUEUE | MHDR_DONE)) | (done ? MHDR_DONE : 0);
    CallInputCallback(message, reinterpret_cast<DWORD_PTR>(header));
    return true;
}

void RecordingWinmm::CallInputCallback(UINT message, DWORD_PTR param1, DWORD_PTR param2) {
    DWORD_PTR callback = 0;
    DWORD_PTR instance = 0;
    HMIDIIN handle = nullptr;
    {
        std::lock_guard lock(mutex_);
        callback = state_->in_callback;
        instance = state_->in_instance;
        handle = state_->in_handle;
    }
    if (callback != 0) {
        reinterpret_cast<MidiInCallback>(callback)(handle, message, instance, param1, param2);
    }
}

void RecordingWinmm::SetOutputCompletesAtOnce(bool at_once) {
    std::lock_guard lock(mutex_);
    state_->out_at_once = at_once;
}

namespace {

void MarkDone(MIDIHDR* header) {
    std::atomic_ref<DWORD> flags(header->dwFlags);
    flags.store((flags.load() & ~MHDR_INQUEUE) | MHDR_DONE, std::memory_order_release);
}

// Outside the recorder's lock, as a driver calls back from a thread of its own.
void CallOutputCallback(DWORD_PTR callback, HMIDIOUT handle, DWORD_PTR instance, MIDIHDR* header) {
    if (callback != 0) {
        reinterpret_cast<MidiOutCallback>(callback)(handle, MOM_DONE, instance,
                                                    reinterpret_cast<DWORD_PTR>(header), 0);
    }
}

}  // namespace

bool RecordingWinmm::CompleteOutput() {
    MIDIHDR* header = nullptr;
    DWORD_PTR callback = 0;
    DWORD_PTR instance = 0;
    HMIDIOUT handle = nullptr;
    {
        std::lock_guard lock(mutex_);
        header = std::exchange(state_->out_in_flight, nullptr);
        if (header == nullptr) {
            return false;
        }
        MarkDone(header);
        callback = state_->out_callback;
        instance = state_->out_instance;
        handle = state_->out_handle;
    }
    CallOutputCallback(callback, handle, instance, header);
    return true;
}

void RecordingWinmm::SetLongMsgHook(std::function<void(MIDIHDR*)> hook) {
    std::lock_guard lock(mutex_);
    state_->long_msg_hook = std::move(hook);
}

LPTIMECALLBACK RecordingWinmm::TimerProcedure() const {
    std::lock_guard lock(mutex_);
    return state_->timer_procedure;
}

DWORD_PTR RecordingWinmm::TimerUser() const {
    std::lock_guard lock(mutex_);
    return state_->timer_user;
}

void RecordingWinmm::SetTimeCapsFail(bool fail) {
    std::lock_guard lock(mutex_);
    state_->time_caps_fail = fail;
}

// Records the call; a planned failure, if any, is the call's whole effect (result non-zero).
MMRESULT RecordingWinmm::Enter(const std::string& name, std::vector<std::uintptr_t> args) {
    if (state_->recording) {
        state_->calls.push_back(WinmmCall{name, std::move(args)});
    }
    auto next = state_->fail_next.find(name);
    if (next != state_->fail_next.end() && !next->second.empty()) {
        const MMRESULT result = next->second.front();
        next->second.pop_front();
        return result;
    }
    const auto always = state_->fail_always.find(name);
    return always == state_->fail_always.end() ? MMSYSERR_NOERROR : always->second;
}

std::vector<std::string> Names(const std::vector<WinmmCall>& calls) {
    std::vector<std::string> names;
    for (const auto& call : calls) {
        names.push_back(call.name);
    }
    return names;
}

}  // namespace kt73b::testing

using kt73b::testing::RecordingWinmm;

namespace {

std::uintptr_t U(const void* pointer) {
    return reinterpret_cast<std::uintptr_t>(pointer);
}

void CopyName(const std::vector<std::string>& names, UINT_PTR index, char* destination) {
    std::memset(destination, 0, MAXPNAMELEN);
    std::strncpy(destination, names[index].c_str(), MAXPNAMELEN - 1);
}

}  // namespace

extern "C" {

UINT midiInGetNumDevs() {
    auto& w = RecordingWinmm::Instance();
    std::lock_guard lock(w.Mutex());
    w.Enter("midiInGetNumDevs", {});
    return static_cast<UINT>(w.Locked().inputs.size());
}

MMRESULT midiInGetDevCapsA(UINT_PTR id, LPMIDIINCAPSA caps, UINT size) {
    auto& w = RecordingWinmm::Instance();
    std::lock_guard lock(w.Mutex());
    const MMRESULT result = w.Enter("midiInGetDevCapsA", {id, size});
    if (result != MMSYSERR_NOERROR) {
        return result;
    }
    if (id >= w.Locked().inputs.size()) {
        return MMSYSERR_BADDEVICEID;
    }
    CopyName(w.Locked().inputs, id, caps->szPname);
    return MMSYSERR_NOERROR;
}

MMRESULT midiInOpen(LPHMIDIIN handle, UINT id, DWORD_PTR callback, DWORD_PTR instance,
                    DWORD flags) {
    auto& w = RecordingWinmm::Instance();
    std::lock_guard lock(w.Mutex());
    const MMRESULT result = w.Enter("midiInOpen", {id, callback, instance, flags});
    if (result != MMSYSERR_NOERROR) {
        return result;
    }
    auto& s = w.Locked();
    s.in_handle = reinterpret_cast<HMIDIIN>(s.next_handle++);
    s.in_callback = callback;
    s.in_instance = instance;
    *handle = s.in_handle;
    return MMSYSERR_NOERROR;
}

MMRESULT midiInClose(HMIDIIN handle) {
    auto& w = RecordingWinmm::Instance();
    std::lock_guard lock(w.Mutex());
    const MMRESULT result = w.Enter("midiInClose", {U(handle)});
    if (result != MMSYSERR_NOERROR) {
        return result;
    }
    if (!w.Locked().in_queue.empty()) {
        return MIDIERR_STILLPLAYING;
    }
    w.Locked().in_callback = 0;
    return MMSYSERR_NOERROR;
}

MMRESULT midiInPrepareHeader(HMIDIIN handle, LPMIDIHDR header, UINT size) {
    auto& w = RecordingWinmm::Instance();
    std::lock_guard lock(w.Mutex());
    const MMRESULT result = w.Enter("midiInPrepareHeader", {U(handle), U(header), size});
    if (result == MMSYSERR_NOERROR) {
        header->dwFlags |= MHDR_PREPARED;
    }
    return result;
}

MMRESULT midiInUnprepareHeader(HMIDIIN handle, LPMIDIHDR header, UINT size) {
    auto& w = RecordingWinmm::Instance();
    std::lock_guard lock(w.Mutex());
    const MMRESULT result = w.Enter("midiInUnprepareHeader", {U(handle), U(header), size});
    if (result != MMSYSERR_NOERROR) {
        return result;
    }
    if ((header->dwFlags & MHDR_INQUEUE) != 0) {
        return MIDIERR_STILLPLAYING;
    }
    header->dwFlags &= ~MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT midiInAddBuffer(HMIDIIN handle, LPMIDIHDR header, UINT size) {
    auto& w = RecordingWinmm::Instance();
    std::lock_guard lock(w.Mutex());
    const MMRESULT result = w.Enter("midiInAddBuffer", {U(handle), U(header), size});
    if (result != MMSYSERR_NOERROR) {
        return result;
    }
    if ((header->dwFlags & MHDR_PREPARED) == 0) {
        return MIDIERR_UNPREPARED;
    }
    header->dwFlags = (header->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
    header->dwBytesRecorded = 0;
    w.Locked().in_queue.push_back(header);
    return MMSYSERR_NOERROR;
}

MMRESULT midiInStart(HMIDIIN handle) {
    auto& w = RecordingWinmm::Instance();
    std::lock_guard lock(w.Mutex());
    return w.Enter("midiInStart", {U(handle)});
}

MMRESULT midiInStop(HMIDIIN handle) {
    auto& w = RecordingWinmm::Instance();
    std::lock_guard lock(w.Mutex());
    return w.Enter("midiInStop", {U(handle)});
}

// As the platform does: every queued buffer comes back through the callback, done and empty.
MMRESULT midiInReset(HMIDIIN handle) {
    auto& w = RecordingWinmm::Instance();
    std::deque<MIDIHDR*> returned;
    {
        std::lock_guard lock(w.Mutex());
        const MMRESULT result = w.Enter("midiInReset", {U(handle)});
        if (result != MMSYSERR_NOERROR) {
            return result;
        }
        returned.swap(w.Locked().in_queue);
    }
    for (MIDIHDR* header : returned) {
        header->dwBytesRecorded = 0;
        header->dwFlags = (header->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
        w.CallInputCallback(MIM_LONGDATA, reinterpret_cast<DWORD_PTR>(header));
    }
    return MMSYSERR_NOERROR;
}

MMRESULT midiInGetErrorTextA(MMRESULT error, LPSTR text, UINT size) {
    auto& w = RecordingWinmm::Instance();
    std::lock_guard lock(w.Mutex());
    w.Enter("midiInGetErrorTextA", {error, size});
    std::strncpy(text, "error", size);
    return MMSYSERR_NOERROR;
}

UINT midiOutGetNumDevs() {
    auto& w = RecordingWinmm::Instance();
    std::lock_guard lock(w.Mutex());
    w.Enter("midiOutGetNumDevs", {});
    return static_cast<UINT>(w.Locked().outputs.size());
}

MMRESULT midiOutGetDevCapsA(UINT_PTR id, LPMIDIOUTCAPSA caps, UINT size) {
    auto& w = RecordingWinmm::Instance();
    std::lock_guard lock(w.Mutex());
    const MMRESULT result = w.Enter("midiOutGetDevCapsA", {id, size});
    if (result != MMSYSERR_NOERROR) {
        return result;
    }
    if (id >= w.Locked().outputs.size()) {
        return MMSYSERR_BADDEVICEID;
    }
    CopyName(w.Locked().outputs, id, caps->szPname);
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutOpen(LPHMIDIOUT handle, UINT id, DWORD_PTR callback, DWORD_PTR instance,
                     DWORD flags) {
    auto& w = RecordingWinmm::Instance();
    std::lock_guard lock(w.Mutex());
    const MMRESULT result = w.Enter("midiOutOpen", {id, callback, instance, flags});
    if (result != MMSYSERR_NOERROR) {
        return result;
    }
    *handle = reinterpret_cast<HMIDIOUT>(w.Locked().next_handle++);
    w.Locked().out_handle = *handle;
    w.Locked().out_callback = (flags & CALLBACK_FUNCTION) != 0 ? callback : 0;
    w.Locked().out_instance = instance;
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutClose(HMIDIOUT handle) {
    auto& w = RecordingWinmm::Instance();
    std::lock_guard lock(w.Mutex());
    return w.Enter("midiOutClose", {U(handle)});
}

MMRESULT midiOutPrepareHeader(HMIDIOUT handle, LPMIDIHDR header, UINT size) {
    auto& w = RecordingWinmm::Instance();
    std::lock_guard lock(w.Mutex());
    const MMRESULT result = w.Enter("midiOutPrepareHeader", {U(handle), U(header), size});
    if (result == MMSYSERR_NOERROR) {
        header->dwFlags |= MHDR_PREPARED;
    }
    return result;
}

MMRESULT midiOutUnprepareHeader(HMIDIOUT handle, LPMIDIHDR header, UINT size) {
    auto& w = RecordingWinmm::Instance();
    std::lock_guard lock(w.Mutex());
    const MMRESULT result = w.Enter("midiOutUnprepareHeader", {U(handle), U(header), size});
    if (result != MMSYSERR_NOERROR) {
        return result;
    }
    if ((header->dwFlags & MHDR_INQUEUE) != 0) {
        return MIDIERR_STILLPLAYING;
    }
    header->dwFlags &= ~MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutLongMsg(HMIDIOUT handle, LPMIDIHDR header, UINT size) {
    auto& w = RecordingWinmm::Instance();
    std::function<void(MIDIHDR*)> hook;
    bool at_once = false;
    {
        std::lock_guard lock(w.Mutex());
        const MMRESULT result = w.Enter("midiOutLongMsg", {U(handle), U(header), size});
        if (result != MMSYSERR_NOERROR) {
            return result;
        }
        if ((header->dwFlags & MHDR_PREPARED) == 0) {
            return MIDIERR_UNPREPARED;
        }
        at_once = w.Locked().out_at_once;
        const DWORD flags = at_once ? MHDR_DONE : MHDR_INQUEUE;
        std::atomic_ref<DWORD>(header->dwFlags)
            .store((header->dwFlags & ~MHDR_DONE) | flags, std::memory_order_release);
        hook = w.Locked().long_msg_hook;
        w.Locked().out_in_flight = header;
    }
    if (hook) {
        hook(header);
    }
    if (at_once) {
        w.CompleteOutput();
    }
    return MMSYSERR_NOERROR;
}

// As the platform does: the header in flight comes back done, through the callback.
MMRESULT midiOutReset(HMIDIOUT handle) {
    auto& w = RecordingWinmm::Instance();
    {
        std::lock_guard lock(w.Mutex());
        const MMRESULT result = w.Enter("midiOutReset", {U(handle)});
        if (result != MMSYSERR_NOERROR) {
            return result;
        }
    }
    w.CompleteOutput();
    return MMSYSERR_NOERROR;
}

MMRESULT midiOutGetErrorTextA(MMRESULT error, LPSTR text, UINT size) {
    auto& w = RecordingWinmm::Instance();
    std::lock_guard lock(w.Mutex());
    w.Enter("midiOutGetErrorTextA", {error, size});
    std::strncpy(text, "error", size);
    return MMSYSERR_NOERROR;
}

MMRESULT timeGetDevCaps(LPTIMECAPS caps, UINT size) {
    auto& w = RecordingWinmm::Instance();
    std::lock_guard lock(w.Mutex());
    w.Enter("timeGetDevCaps", {size});
    if (w.Locked().time_caps_fail) {
        return TIMERR_NOCANDO;
    }
    caps->wPeriodMin = 1;
    caps->wPeriodMax = 1000000;
    return TIMERR_NOERROR;
}

MMRESULT timeBeginPeriod(UINT period) {
    auto& w = RecordingWinmm::Instance();
    std::lock_guard lock(w.Mutex());
    return w.Enter("timeBeginPeriod", {period});
}

MMRESULT timeEndPeriod(UINT period) {
    auto& w = RecordingWinmm::Instance();
    std::lock_guard lock(w.Mutex());
    return w.Enter("timeEndPeriod", {period});
}

MMRESULT timeSetEvent(UINT delay, UINT resolution, LPTIMECALLBACK procedure, DWORD_PTR user,
                      UINT flags) {
    auto& w = RecordingWinmm::Instance();
    std::lock_guard lock(w.Mutex());
    if (w.Enter("timeSetEvent", {delay, resolution, reinterpret_cast<std::uintptr_t>(procedure),
                                 user, flags}) != MMSYSERR_NOERROR) {
        return 0;
    }
    w.Locked().timer_procedure = procedure;
    w.Locked().timer_user = user;
    return w.Locked().next_timer_id++;
}

MMRESULT timeKillEvent(UINT id) {
    auto& w = RecordingWinmm::Instance();
    std::lock_guard lock(w.Mutex());
    return w.Enter("timeKillEvent", {id});
}

}  // extern "C"
