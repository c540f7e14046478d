// A host output to an ALSA port: a port of ours subscribed to by the device's port; each long
// message goes out as one System Exclusive event.
#include "platform/winmm/alsa/alsa_provider.h"

namespace kt73b::winmm {
namespace {

class AlsaOutput final : public OutputConnection {
  public:
    AlsaOutput(std::shared_ptr<AlsaSequencer> sequencer, AlsaPort device, int own_port)
        : sequencer_(std::move(sequencer)), device_(device), ownPort_(own_port) {}
    ~AlsaOutput() override { sequencer_->DetachOutput(ownPort_, device_); }

    MMRESULT Send(const std::uint8_t* bytes, std::size_t length) override {
        return sequencer_->Send(ownPort_, bytes, length);
    }

  private:
    std::shared_ptr<AlsaSequencer> sequencer_;
    AlsaPort device_;
    int ownPort_;
};

}  // namespace

MMRESULT AlsaProvider::OpenOutput(const std::string& key,
                                  std::unique_ptr<OutputConnection>* connection) {
    AlsaPort device;
    auto sequencer = Sequencer();
    if (sequencer == nullptr || !ParseAlsaKey(key, &device)) {
        return MMSYSERR_NODRIVER;
    }
    const int own_port = sequencer->AttachOutput(device);
    if (own_port < 0) {
        return MMSYSERR_NODRIVER;
    }
    *connection = std::make_unique<AlsaOutput>(std::move(sequencer), device, own_port);
    return MMSYSERR_NOERROR;
}

}  // namespace kt73b::winmm
