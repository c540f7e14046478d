#include "emulator/flash_memory.h"

#include <algorithm>

#include "engine/step_table.h"

namespace kt73b::emu {

namespace {

// Same bytes on every run, and hardly ever FF or equal to an image byte over a whole chunk.
std::uint8_t PreviousFirmwareByte(std::uint32_t address) {
    std::uint32_t x = address * 2654435761u + 0x9E3779B9u;
    x ^= x >> 15;
    x *= 0x85EBCA6Bu;
    x ^= x >> 13;
    return static_cast<std::uint8_t>(x >> 24);
}

}  // namespace

FlashMemory::FlashMemory() : bytes_(kFlashBytes) {
    for (std::uint32_t address = 0; address < kFlashBytes; ++address) {
        bytes_[address] = PreviousFirmwareByte(address);
    }
}

bool FlashMemory::Contains(std::uint32_t address, std::uint32_t length) const {
    return length > 0 && address < Size() && length <= Size() - address;
}

bool FlashMemory::Erase(std::uint32_t address, std::uint32_t length) {
    if (!Contains(address, length)) {
        return false;
    }
    std::fill_n(bytes_.begin() + address, length, kErasedByte);
    return true;
}

bool FlashMemory::IsErased(std::uint32_t address, std::uint32_t length) const {
    if (!Contains(address, length)) {
        return false;
    }
    return std::all_of(bytes_.begin() + address, bytes_.begin() + address + length,
                       [](std::uint8_t b) { return b == kErasedByte; });
}

bool FlashMemory::CanProgram(std::uint32_t address, std::span<const std::uint8_t> data) const {
    if (data.size() > Size() || !Contains(address, static_cast<std::uint32_t>(data.size()))) {
        return false;
    }
    for (std::size_t i = 0; i < data.size(); ++i) {
        const std::uint8_t old = bytes_[address + i];
        if (old != kErasedByte && old != data[i]) {
            return false;
        }
    }
    return true;
}

bool FlashMemory::Program(std::uint32_t address, std::span<const std::uint8_t> data) {
    if (data.size() > Size() || !Contains(address, static_cast<std::uint32_t>(data.size()))) {
        return false;
    }
    std::copy(data.begin(), data.end(), bytes_.begin() + address);
    return true;
}

void FlashMemory::Fill(std::uint8_t value) {
    std::fill(bytes_.begin(), bytes_.end(), value);
}

}  // namespace kt73b::emu
