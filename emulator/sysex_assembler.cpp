#include "emulator/sysex_assembler.h"

#include "engine/protocol_constants.h"

namespace kt73b::emu {

namespace {

// Real-time messages (clock, active sensing...) may appear anywhere, even inside SysEx.
constexpr std::uint8_t kFirstRealTime = 0xF8;

}  // namespace

void SysExAssembler::Flush() {
    sink_(message_);
    message_.clear();
    inSysEx_ = false;
}

void SysExAssembler::Feed(std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) {
        if (byte >= kFirstRealTime) {
            continue;
        }
        if (byte == kSysExStart) {
            if (inSysEx_) {
                Flush();
            }
            inSysEx_ = true;
            message_.push_back(byte);
            continue;
        }
        if (!inSysEx_) {
            continue;  // no SysEx under way: other messages are not for this device
        }
        if (byte & 0x80) {
            if (byte == kSysExEnd) {
                message_.push_back(byte);
            }
            Flush();
            continue;
        }
        message_.push_back(byte);
    }
}

}  // namespace kt73b::emu
