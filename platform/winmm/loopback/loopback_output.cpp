// A host output to a loopback device: each long message is handed to the device on the
// sending thread.
#include "platform/winmm/loopback/loopback_provider.h"

namespace kt73b::winmm {
namespace {

class LoopbackOutput final : public OutputConnection {
  public:
    explicit LoopbackOutput(std::shared_ptr<LoopbackProvider::Entry> entry)
        : entry_(std::move(entry)) {}
    ~LoopbackOutput() override { LoopbackProvider::Instance().CloseOutput(*entry_); }

    MMRESULT Send(const std::uint8_t* bytes, std::size_t length) override {
        std::lock_guard call(entry_->callMutex);
        if (entry_->device == nullptr) {
            return MMSYSERR_NODRIVER;
        }
        entry_->device->OnHostMessage(bytes, length);
        return MMSYSERR_NOERROR;
    }

  private:
    std::shared_ptr<LoopbackProvider::Entry> entry_;
};

}  // namespace

MMRESULT LoopbackProvider::OpenOutput(const std::string& key,
                                      std::unique_ptr<OutputConnection>* connection) {
    std::lock_guard lock(mutex_);
    auto entry = FindLocked(key);
    if (entry == nullptr) {
        return MMSYSERR_NODRIVER;
    }
    if (entry->outputOpen) {
        return MMSYSERR_ALLOCATED;
    }
    entry->outputOpen = true;
    *connection = std::make_unique<LoopbackOutput>(std::move(entry));
    return MMSYSERR_NOERROR;
}

void LoopbackProvider::CloseOutput(Entry& entry) {
    std::lock_guard lock(mutex_);
    entry.outputOpen = false;
}

}  // namespace kt73b::winmm
