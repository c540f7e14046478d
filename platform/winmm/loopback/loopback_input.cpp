// A host input on a loopback device: the device's DeliverToHost calls reach the host's sink.
#include "platform/winmm/loopback/loopback_provider.h"

namespace kt73b::winmm {
namespace {

class LoopbackInput final : public InputConnection {
  public:
    explicit LoopbackInput(std::shared_ptr<LoopbackProvider::Entry> entry)
        : entry_(std::move(entry)) {}
    ~LoopbackInput() override { LoopbackProvider::Instance().CloseInput(*entry_); }

  private:
    std::shared_ptr<LoopbackProvider::Entry> entry_;
};

}  // namespace

MMRESULT LoopbackProvider::OpenInput(const std::string& key, InputSink& sink,
                                     std::unique_ptr<InputConnection>* connection) {
    std::lock_guard lock(mutex_);
    auto entry = FindLocked(key);
    if (entry == nullptr) {
        return MMSYSERR_NODRIVER;
    }
    if (entry->hostInput != nullptr) {
        return MMSYSERR_ALLOCATED;
    }
    entry->hostInput = &sink;
    *connection = std::make_unique<LoopbackInput>(std::move(entry));
    return MMSYSERR_NOERROR;
}

void LoopbackProvider::CloseInput(Entry& entry) {
    std::lock_guard lock(mutex_);
    entry.hostInput = nullptr;
}

}  // namespace kt73b::winmm
