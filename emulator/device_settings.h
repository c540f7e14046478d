// What an emulated device is: its model byte, whether it was started in its update mode, and
// how long its work takes. Defaults resemble a serial-NOR-flash device (see each figure).
#pragma once

#include <chrono>
#include <cstdint>

#include "emulator/clock.h"
#include "engine/protocol_constants.h"

namespace kt73b::emu {

inline constexpr std::uint8_t kDefaultModelByte = 0x57;
inline constexpr std::uint32_t kEraseBlockBytes = 64 * 1024;

struct DeviceSettings {
    std::uint8_t model = kDefaultModelByte;
    // A device started normally answers the update-mode request with 11 and touches no flash.
    bool updateMode = true;
    // Identity, update-mode and finish requests: a few main-loop turns of a small controller.
    Micros commandTime = std::chrono::milliseconds(1);
    // A 64 KiB block erase of serial NOR flash takes about 150 ms (typical data-sheet figure),
    // so the largest region, 2,912,256 bytes, takes about 6.7 s: well inside the host's 30 s.
    Micros eraseTimePerBlock = std::chrono::milliseconds(150);
    Micros eraseTimeFixed{0};
    // One 2048-byte chunk: eight 256-byte page programs of about 0.4 ms, plus unpacking and
    // checking the frame, rounded up to 4 ms.
    Micros writeTime = std::chrono::milliseconds(4);
};

// Erase time for `bytes`: the fixed part plus the per-block time, prorated for a partial block.
Micros EraseDuration(const DeviceSettings& settings, std::uint32_t bytes);

}  // namespace kt73b::emu
