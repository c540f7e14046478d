// A sequencer client of our own: for the WinMM layer, one port of ours per open device, connected
// to the device's port; for the emulator program, a port that hosts connect to as to a device.
// A reader thread hands what arrives to the port's sink (System Exclusive pieces joined first).
#pragma once

#include <alsa/asoundlib.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/winmm/alsa/alsa_config.h"
#include "platform/winmm/mmsystem_api.h"
#include "platform/winmm/provider.h"
#include "platform/winmm/sysex_reassembly.h"

namespace kt73b::winmm {

struct AlsaPort {
    int client = 0;
    int port = 0;
    std::string clientName;
    std::string portName;
};

class AlsaSequencer {
  public:
    // Null when the machine has no sequencer; says nothing on stderr either way.
    static std::shared_ptr<AlsaSequencer> Open(const AlsaConfig& config);
    ~AlsaSequencer();
    AlsaSequencer(const AlsaSequencer&) = delete;
    AlsaSequencer& operator=(const AlsaSequencer&) = delete;

    // Other clients' MIDI ports that we can read from (`readable`) or write to.
    std::vector<AlsaPort> OtherMidiPorts(bool readable) const;

    // Our port (>= 0) connected from / to the device's port, or a negative result.
    int AttachInput(const AlsaPort& device, InputSink& sink);
    void DetachInput(int own_port, const AlsaPort& device);
    int AttachOutput(const AlsaPort& device);
    void DetachOutput(int own_port, const AlsaPort& device);
    // A port of ours that other clients read from and write to, as they do a device's; `sink`
    // gets each System Exclusive message written to it, cut-off ones as they are. Negative when
    // the port cannot be made.
    int CreateDevicePort(const std::string& name, InputSink& sink);
    // Sends to whoever reads our port.
    MMRESULT Send(int own_port, const std::uint8_t* bytes, std::size_t length);
    int ClientId() const { return ownClient_; }

  private:
    struct Route {
        Route(InputSink& sink, CutMessages cut, snd_midi_event_t* decoder);
        InputSink* sink;
        SysExReassembler sysex;
        snd_midi_event_t* decoder;  // short messages; null where only SysEx counts
    };

    explicit AlsaSequencer(const AlsaConfig& config);
    bool Start();
    void ReadEvents();
    void Deliver(const snd_seq_event_t& event);
    void AddRoute(int own_port, InputSink& sink, CutMessages cut, snd_midi_event_t* decoder);

    const AlsaConfig config_;
    snd_seq_t* seq_ = nullptr;
    int ownClient_ = -1;
    int wakeFd_ = -1;  // eventfd: wakes the reader to end

    std::mutex controlMutex_;      // serialises every sequencer call but the reader's input
    std::mutex routesMutex_;       // held while the reader delivers, and to change routes_
    std::map<int, Route> routes_;  // under routesMutex_: our input port -> its sink
    std::thread reader_;
};

}  // namespace kt73b::winmm
