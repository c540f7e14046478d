// MidiInPort: one MIDI input device of the platform. It lends the driver one receive buffer and
// queues a copy of every System Exclusive message the driver hands back, for the timer's thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "midi/device_name.h"
#include "midi/inbound_listener.h"
#include "midi/inbound_queue.h"
#include "platform/winmm/mmsystem_api.h"

namespace kt73b {

inline constexpr DWORD kReceiveBufferBytes = 8192;

class MidiInPort {
  public:
    MidiInPort() = default;
    ~MidiInPort();
    MidiInPort(const MidiInPort&) = delete;
    MidiInPort& operator=(const MidiInPort&) = delete;

    UINT GetNumDevs() const;
    // `destination` holds at least kDeviceNameBytes; it gets "" when the platform has no name.
    void GetDeviceName(UINT index, char* destination) const;

    // The device that `Open` opens; (UINT)-1, "no selection", is passed on unchanged.
    void SetDeviceIndex(UINT index) { deviceIndex_ = index; }
    UINT DeviceIndex() const { return deviceIndex_; }

    // 1 when the device is open and started (at once when it already was), else 0; a failed
    // Open leaves nothing open and nothing allocated.
    int Open();
    // Always 0. Stops and closes the device and frees the receive buffer; the queue stays.
    int Close();
    // 1 when the port held a device handle and was closed, else 0.
    int CloseIfOpen();

    // Told after each message is queued; null (the default) tells nobody. Set it while the port
    // is closed; the listener must outlive every later Open.
    void SetListener(InboundListener* listener) {
        listener_.store(listener, std::memory_order_release);
    }

    // The oldest queued message and its length, or null. Valid until the next PopFront.
    const std::uint8_t* Front(std::size_t* length = nullptr) const { return queue_.Front(length); }
    // How many messages were ever queued: the consumer's count of what it took numbers them.
    std::uint64_t Received() const { return queue_.Appended(); }
    // Always 0; removes the oldest queued message, if any.
    int PopFront() {
        queue_.PopFront();
        return 0;
    }

    // The callback midiInOpen registers; `instance` is the port.
    static void CALLBACK MidiInProc(HMIDIIN handle, UINT message, DWORD_PTR instance,
                                    DWORD_PTR param1, DWORD_PTR param2);
    // Runs on the driver's callback thread, one message at a time.
    void OnMidiInput(UINT message, DWORD_PTR param1);

  private:
    int OpenAndStart();
    void UndoOpen(bool device_opened);
    MMRESULT StopAndClose();
    bool IsReceiveBuffer(MIDIHDR* header);
    void HandBack(MIDIHDR* header);
    void NotifyListener();
    void ReleaseReceiveBuffer();

    // Written by the dialog's thread; the callback reads it only while the device is started,
    // which the driver orders after the write (midiInOpen, midiInAddBuffer, midiInStart).
    HMIDIIN handle_ = nullptr;
    // The receive buffer; written by the dialog's thread under bufferMutex_.
    MIDIHDR* header_ = nullptr;
    UINT deviceIndex_ = 0;  // dialog's thread only
    int openFlag_ = 0;      // dialog's thread only
    InboundQueue queue_;    // locks itself: callback thread appends, the receive side drains
    // Written by the dialog's thread while the port is closed; read by the callback thread.
    std::atomic<InboundListener*> listener_{nullptr};

    // Orders the callback's hand-back of the buffer against Open and Close on the dialog thread.
    std::mutex bufferMutex_;
    bool closing_ = false;     // under bufferMutex_: no hand-back while the port closes
    bool bufferLent_ = false;  // under bufferMutex_: the driver holds header_
    // Under bufferMutex_: buffers a failed close could not get back from the driver; each is
    // freed when the driver finally returns it, and never before.
    std::vector<MIDIHDR*> stranded_;
};

}  // namespace kt73b
