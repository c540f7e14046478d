// A host output to a JACK port: the client's output port is connected to it, and each long
// message goes out whole, as one event, in the next process cycle.
#include "platform/winmm/jack/jack_provider.h"

namespace kt73b::winmm {
namespace {

class JackOutput final : public OutputConnection {
  public:
    JackOutput(std::shared_ptr<JackClient> client, std::string port)
        : client_(std::move(client)), port_(std::move(port)) {}
    ~JackOutput() override { client_->DetachOutput(port_); }

    MMRESULT Send(const std::uint8_t* bytes, std::size_t length) override {
        return client_->Send(bytes, length);
    }

  private:
    std::shared_ptr<JackClient> client_;
    std::string port_;
};

}  // namespace

MMRESULT JackProvider::OpenOutput(const std::string& key,
                                  std::unique_ptr<OutputConnection>* connection) {
    auto client = Client();
    if (client == nullptr) {
        return MMSYSERR_NODRIVER;
    }
    const MMRESULT result = client->AttachOutput(key);
    if (result == MMSYSERR_NOERROR) {
        *connection = std::make_unique<JackOutput>(std::move(client), key);
    }
    return result;
}

}  // namespace kt73b::winmm
