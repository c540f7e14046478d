// What the input port tells, on the driver's callback thread, each time it has queued a message:
// a consumer that waits for messages can then take them at once instead of at its next poll.
#pragma once

namespace kt73b {

class InboundListener {
  public:
    // Runs on the driver's callback thread: must return promptly and must not call the MIDI
    // service, which the platform advises against inside an input callback.
    virtual void OnInboundQueued() = 0;

  protected:
    ~InboundListener() = default;
};

}  // namespace kt73b
