// The files the emulator program reads and writes: the images a finished update is compared
// with (--expect DIR, or those built in), and the flash written out (--flash-out FILE).
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "emulator/flash_memory.h"
#include "emulator/image_check.h"

namespace kt73b::emu {

class ExpectedImages {
  public:
    // Reads DIR/129.bin, DIR/136.bin and DIR/137.bin; an empty `dir` means the images built in.
    // False, with the reason in `error`, when a file is missing or cannot be read.
    bool Load(const std::string& dir, std::string& error);
    ImageSource Source() const;

  private:
    bool builtIn_ = true;
    std::map<std::uint32_t, std::vector<std::uint8_t>> images_;
};

// False, with the reason in `error`, when the file cannot be written whole.
bool WriteFlashFile(const std::string& path, std::span<const std::uint8_t> flash,
                    std::string& error);

}  // namespace kt73b::emu
