#include "tests/winmm/fake_provider.h"

namespace kt73b::winmm {

class FakeInput final : public InputConnection {
  public:
    explicit FakeInput(FakeProvider& provider) : provider_(provider) {}
    ~FakeInput() override {
        std::lock_guard lock(provider_.mutex_);
        provider_.sink_ = nullptr;
    }

  private:
    FakeProvider& provider_;
};

class FakeOutput final : public OutputConnection {
  public:
    explicit FakeOutput(FakeProvider& provider) : provider_(provider) {}
    MMRESULT Send(const std::uint8_t* bytes, std::size_t length) override {
        std::lock_guard lock(provider_.mutex_);
        if (provider_.send_result == MMSYSERR_NOERROR) {
            provider_.sent_.emplace_back(bytes, bytes + length);
        }
        return provider_.send_result;
    }

  private:
    FakeProvider& provider_;
};

MMRESULT FakeProvider::OpenInput(const std::string&, InputSink& sink,
                                 std::unique_ptr<InputConnection>* connection) {
    std::lock_guard lock(mutex_);
    if (sink_ != nullptr) {
        return MMSYSERR_ALLOCATED;
    }
    sink_ = &sink;
    *connection = std::make_unique<FakeInput>(*this);
    return MMSYSERR_NOERROR;
}

MMRESULT FakeProvider::OpenOutput(const std::string&,
                                  std::unique_ptr<OutputConnection>* connection) {
    *connection = std::make_unique<FakeOutput>(*this);
    return MMSYSERR_NOERROR;
}

bool FakeProvider::Feed(const std::vector<std::uint8_t>& bytes) {
    std::lock_guard lock(mutex_);
    if (sink_ == nullptr) {
        return false;
    }
    sink_->OnMessage(bytes.data(), bytes.size());
    return true;
}

std::vector<std::vector<std::uint8_t>> FakeProvider::Sent() {
    std::lock_guard lock(mutex_);
    return sent_;
}

}  // namespace kt73b::winmm
