// A host input on a JACK port: the port is connected to the client's input port, and the
// client's reader thread hands each received event to the sink.
#include "platform/winmm/jack/jack_provider.h"

namespace kt73b::winmm {
namespace {

class JackInput final : public InputConnection {
  public:
    JackInput(std::shared_ptr<JackClient> client, std::string port)
        : client_(std::move(client)), port_(std::move(port)) {}
    ~JackInput() override { client_->DetachInput(port_); }

  private:
    std::shared_ptr<JackClient> client_;
    std::string port_;
};

}  // namespace

MMRESULT JackProvider::OpenInput(const std::string& key, InputSink& sink,
                                 std::unique_ptr<InputConnection>* connection) {
    auto client = Client();
    if (client == nullptr) {
        return MMSYSERR_NODRIVER;
    }
    const MMRESULT result = client->AttachInput(key, sink);
    if (result == MMSYSERR_NOERROR) {
        *connection = std::make_unique<JackInput>(std::move(client), key);
    }
    return result;
}

}  // namespace kt73b::winmm
