// MidiOutPort: one MIDI output device of the platform. Each send goes out as one long message
// and returns once the driver is done with the caller's bytes, or has failed.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "midi/device_name.h"
#include "midi/send_wait_clock.h"
#include "platform/winmm/mmsystem_api.h"

namespace kt73b {

// How long a send waits for the driver to mark its header done before it gives up. Our largest
// message, 2,359 bytes, takes 0.76 s on a 31,250-baud cable; USB takes a few milliseconds.
inline constexpr std::chrono::milliseconds kSendDoneTimeout{5000};
// A send sleeps until the driver's MOM_DONE wakes it; it also looks at the done flag this often,
// so a driver that marks the header done without calling back costs this much at most.
inline constexpr std::chrono::milliseconds kSendDoneRecheck{50};

class MidiOutPort {
  public:
    MidiOutPort() : MidiOutPort(SystemSendWaitClock()) {}
    explicit MidiOutPort(SendWaitClock& clock) : clock_(clock) {}
    ~MidiOutPort();
    MidiOutPort(const MidiOutPort&) = delete;
    MidiOutPort& operator=(const MidiOutPort&) = delete;

    UINT GetNumDevs() const;
    // `destination` holds at least kDeviceNameBytes; it gets "" when the platform has no name.
    void GetDeviceName(UINT index, char* destination) const;

    // 1 when device `index` is open (at once when it already was), else 0. (UINT)-1 is passed
    // on unchanged: the platform's default output. The device reports finished sends to
    // MidiOutProc.
    int Open(UINT index);
    // 1 when a device was closed, 0 when the port was closed already. Waits for a send under way.
    int Close();

    // Sends the header's bytes (lpData, dwBufferLength; dwFlags 0) as one long message. 1 once
    // the driver has marked it done and it is unprepared; 0 on a closed port, on a refusal, or
    // when the driver has not finished within kSendDoneTimeout (the device is then reset).
    // Safe from several threads: sends go out one after the other, never mixed.
    int SendLong(MIDIHDR* header);

    // The callback midiOutOpen registers; `instance` is the port. Runs on a driver's thread.
    static void CALLBACK MidiOutProc(HMIDIOUT handle, UINT message, DWORD_PTR instance,
                                     DWORD_PTR param1, DWORD_PTR param2);

  private:
    int CloseLocked();
    bool WaitUntilDone(MIDIHDR& header);
    void OnSendDone();

    SendWaitClock& clock_;
    // Held from the start of a send to its end, and by Open and Close: a send never mixes with
    // another, and Close never pulls the handle from under one.
    std::mutex mutex_;
    HMIDIOUT handle_ = nullptr;  // under mutex_
    UINT deviceIndex_ = 0;       // under mutex_
    // A sender waits on done_ under doneMutex_; the driver's MOM_DONE notifies it after it has
    // set the header's MHDR_DONE flag, which the sender reads with an atomic load.
    std::mutex doneMutex_;
    std::condition_variable done_;
};

}  // namespace kt73b
