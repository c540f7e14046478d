// One open midiOut handle of the layer. A long message goes to the provider in the call that
// sends it, so its header is done when midiOutLongMsg returns.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "platform/winmm/mmsystem_api.h"
#include "platform/winmm/provider.h"

namespace kt73b::winmm {

class MidiOutDevice {
  public:
    MMRESULT Open(Provider& provider, const std::string& key);
    MMRESULT Prepare(MIDIHDR* header, UINT size);
    MMRESULT Unprepare(MIDIHDR* header, UINT size);
    MMRESULT LongMsg(MIDIHDR* header, UINT size);
    // Waits for a send under way, then disconnects.
    void Close();

  private:
    // Header flags: written by whichever thread calls in; the owner reads them when its call
    // has returned, or polls MHDR_DONE with an atomic read.
    std::mutex flags_mutex_;
    // Held across a whole send and by Close: one message at a time, never a closed connection.
    std::mutex send_mutex_;
    std::unique_ptr<OutputConnection> connection_;  // under send_mutex_
};

}  // namespace kt73b::winmm
