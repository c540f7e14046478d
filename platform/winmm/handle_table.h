// The open handles of one kind: a handle is a number the layer gave out, so a stale or foreign
// handle is refused instead of followed.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace kt73b::winmm {

template <typename Handle, typename Device>
class HandleTable {
  public:
    // A handle never given out before; it names nothing until Insert.
    Handle NewHandle() {
        std::lock_guard lock(mutex_);
        return reinterpret_cast<Handle>(next_++);
    }

    void Insert(Handle handle, std::shared_ptr<Device> device) {
        std::lock_guard lock(mutex_);
        devices_.emplace(handle, std::move(device));
    }

    // The device of `handle`, or null; kept alive by the caller while it uses it.
    std::shared_ptr<Device> Find(Handle handle) const {
        std::lock_guard lock(mutex_);
        const auto it = devices_.find(handle);
        return it == devices_.end() ? nullptr : it->second;
    }

    void Remove(Handle handle) {
        std::shared_ptr<Device> removed;
        std::lock_guard lock(mutex_);
        const auto it = devices_.find(handle);
        if (it != devices_.end()) {
            removed = std::move(it->second);
            devices_.erase(it);
        }
    }

  private:
    mutable std::mutex mutex_;
    std::uintptr_t next_ = 1;  // under mutex_; handles are never reused
    std::unordered_map<Handle, std::shared_ptr<Device>> devices_;  // under mutex_
};

}  // namespace kt73b::winmm
