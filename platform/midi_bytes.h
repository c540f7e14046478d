// The MIDI 1.0 status bytes that every layer reads or writes: the engine's messages, the WinMM
// layer's reassembly and the emulator. Header only, with no OS or toolkit header.
#pragma once

#include <cstdint>

namespace kt73b {

inline constexpr std::uint8_t kSysExStart = 0xF0;
inline constexpr std::uint8_t kSysExEnd = 0xF7;
// Clock, active sensing and the like may come anywhere, even inside a SysEx message.
inline constexpr std::uint8_t kFirstRealTime = 0xF8;
inline constexpr std::uint8_t kStatusBit = 0x80;

}  // namespace kt73b
