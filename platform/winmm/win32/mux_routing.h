// What the mux's two directions share: which side a device index or a handle belongs to.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/winmm/mmsystem_api.h"
#include "platform/winmm/win32/system_winmm.h"

namespace kt73b::winmm::mux {

// Set in the handles of the layer's devices: "KT" in bits 48 to 62, above every address and
// handle the system gives a process, so a system handle never carries it.
inline constexpr std::uintptr_t kLayerTag = std::uintptr_t{0x4B54} << 48;

template <typename Handle>
bool IsLayerHandle(Handle handle) {
    return (reinterpret_cast<std::uintptr_t>(handle) & kLayerTag) == kLayerTag;
}

template <typename Handle>
Handle Tagged(Handle layerHandle) {
    return reinterpret_cast<Handle>(reinterpret_cast<std::uintptr_t>(layerHandle) | kLayerTag);
}

template <typename Handle>
Handle Untagged(Handle handle) {
    return reinterpret_cast<Handle>(reinterpret_cast<std::uintptr_t>(handle) & ~kLayerTag);
}

// How many system devices of one direction the last listing found: indices below it are the
// system's, the layer's devices follow. The first use takes a listing if none was taken yet.
class SystemDeviceCount {
  public:
    explicit SystemDeviceCount(UINT (WINAPI* SystemWinmm::*count)()) : count_(count) {}

    UINT Refresh() {
        const SystemWinmm& system = System();
        const UINT count = system.complete ? (system.*count_)() : 0;
        last_.store(static_cast<long long>(count));
        return count;
    }

    UINT Last() {
        const long long last = last_.load();
        return last < 0 ? Refresh() : static_cast<UINT>(last);
    }

  private:
    UINT (WINAPI* SystemWinmm::*count_)();
    // Written by whichever thread lists the devices, read by the thread that opens one; -1 until
    // the first listing. Atomic: the listing and the open are ordered by their callers.
    std::atomic<long long> last_{-1};
};

// A call to the system, or `missing` where the system has no MIDI.
template <typename Function, typename... Args>
MMRESULT CallSystem(MMRESULT missing, Function SystemWinmm::*function, Args... args) {
    const SystemWinmm& system = System();
    return system.complete ? (system.*function)(args...) : missing;
}

}  // namespace kt73b::winmm::mux
