// A host input on an ALSA port: a port of ours subscribed to the device's port; the sequencer's
// reader thread hands each whole message to the sink.
#include "platform/winmm/alsa/alsa_provider.h"

namespace kt73b::winmm {
namespace {

class AlsaInput final : public InputConnection {
  public:
    AlsaInput(std::shared_ptr<AlsaSequencer> sequencer, AlsaPort device, int own_port)
        : sequencer_(std::move(sequencer)), device_(device), ownPort_(own_port) {}
    ~AlsaInput() override { sequencer_->DetachInput(ownPort_, device_); }

  private:
    std::shared_ptr<AlsaSequencer> sequencer_;
    AlsaPort device_;
    int ownPort_;
};

}  // namespace

MMRESULT AlsaProvider::OpenInput(const std::string& key, InputSink& sink,
                                 std::unique_ptr<InputConnection>* connection) {
    AlsaPort device;
    auto sequencer = Sequencer();
    if (sequencer == nullptr || !ParseAlsaKey(key, &device)) {
        return MMSYSERR_NODRIVER;
    }
    const int own_port = sequencer->AttachInput(device, sink);
    if (own_port < 0) {
        return MMSYSERR_NODRIVER;
    }
    *connection = std::make_unique<AlsaInput>(std::move(sequencer), device, own_port);
    return MMSYSERR_NOERROR;
}

}  // namespace kt73b::winmm
