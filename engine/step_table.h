// The six steps of an update: which flash region is erased, and which image is written where.
// The middle region is erased first and written last, so a run cut short leaves it blank.
#pragma once

#include <array>
#include <cstdint>

namespace kt73b {

enum StepType : std::uint32_t { kStepErase = 1, kStepWrite = 2 };

struct StepRow {
    std::uint32_t type;     // kStepErase, kStepWrite; any other type is skipped
    std::uint32_t address;  // first flash byte of the region
    std::uint32_t size;     // bytes; 0 in a write row means the whole image
    std::uint32_t imageId;  // write rows only
};

inline constexpr std::size_t kStepCount = 6;

extern const std::array<StepRow, kStepCount> kStepTable;

// The flash the three regions span, 0x000000 up to (not including) kFlashBytes.
inline constexpr std::uint32_t kFlashBytes = 0x3B7000;

}  // namespace kt73b
