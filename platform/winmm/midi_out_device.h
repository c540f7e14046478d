// One open midiOut handle of the layer. A long message goes to the provider in the call that
// sends it, so its header is done when midiOutLongMsg returns; an output opened with a callback
// function gets MOM_DONE for it on the sending thread before that call returns, as well as
// MOM_OPEN and MOM_CLOSE.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "platform/winmm/mmsystem_api.h"
#include "platform/winmm/provider.h"

namespace kt73b::winmm {

class MidiOutDevice {
  public:
    // `callback` is the application's function, or 0 for none.
    MidiOutDevice(HMIDIOUT handle, DWORD_PTR callback, DWORD_PTR instance)
        : handle_(handle), callback_(callback), instance_(instance) {}

    MMRESULT Open(Provider& provider, const std::string& key);
    MMRESULT Prepare(MIDIHDR* header, UINT size);
    MMRESULT Unprepare(MIDIHDR* header, UINT size);
    MMRESULT LongMsg(MIDIHDR* header, UINT size);
    // Waits for a send under way, then disconnects.
    void Close();

  private:
    void Call(UINT message, DWORD_PTR param1);

    const HMIDIOUT handle_;
    const DWORD_PTR callback_;
    const DWORD_PTR instance_;

    // Header flags: written by whichever thread calls in; the owner reads them when its call
    // has returned, or polls MHDR_DONE with an atomic read.
    std::mutex flagsMutex_;
    // Held across a whole send and by Close: one message at a time, never a closed connection.
    std::mutex sendMutex_;
    std::unique_ptr<OutputConnection> connection_;  // under sendMutex_
};

}  // namespace kt73b::winmm
