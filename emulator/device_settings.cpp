#include "emulator/device_settings.h"

namespace kt73b::emu {

Micros EraseDuration(const DeviceSettings& settings, std::uint32_t bytes) {
    const auto perBlock = static_cast<std::uint64_t>(settings.eraseTimePerBlock.count());
    const std::uint64_t prorated = (perBlock * bytes + kEraseBlockBytes - 1) / kEraseBlockBytes;
    return settings.eraseTimeFixed + Micros(static_cast<Micros::rep>(prorated));
}

}  // namespace kt73b::emu
