// The device's flash: 0x3B7000 bytes that an erase sets to FF and a write programs. A write is
// taken only where the flash is erased or already holds the same bytes, as a verify after
// programming would find.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace kt73b::emu {

inline constexpr std::uint8_t kErasedByte = 0xFF;

class FlashMemory {
  public:
    // Starts with a deterministic stand-in for the firmware already on the device, so that a
    // write the host forgot to erase for is refused rather than silently accepted.
    FlashMemory();

    std::uint32_t Size() const { return static_cast<std::uint32_t>(bytes_.size()); }
    std::span<const std::uint8_t> Bytes() const { return bytes_; }

    // True when [address, address + length) lies inside the flash; length 0 never does.
    bool Contains(std::uint32_t address, std::uint32_t length) const;

    // Each returns false and changes nothing when the range is not inside the flash.
    bool Erase(std::uint32_t address, std::uint32_t length);
    bool IsErased(std::uint32_t address, std::uint32_t length) const;
    // True when every target byte is erased or already equal to the byte to be written: a chunk
    // sent again because its answer was lost must not fail.
    bool CanProgram(std::uint32_t address, std::span<const std::uint8_t> data) const;
    // Stores `data` without the check above (callers check CanProgram first, tests preload).
    bool Program(std::uint32_t address, std::span<const std::uint8_t> data);

    // Replaces the whole content, e.g. to start from an erased device.
    void Fill(std::uint8_t value);

  private:
    std::vector<std::uint8_t> bytes_;
};

}  // namespace kt73b::emu
