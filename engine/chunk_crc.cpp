#include "engine/chunk_crc.h"

#include <array>

namespace kt73b {

namespace {

constexpr std::uint32_t kReflectedPolynomial = 0xEDB88320u;

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit) {
            c = (c & 1) ? (kReflectedPolynomial ^ (c >> 1)) : (c >> 1);
        }
        table[n] = c;
    }
    return table;
}

// Computed by the compiler: a constant table in read-only data, nothing built at run time.
constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();
static_assert(kCrcTable[1] == 0x77073096u && kCrcTable[255] == 0x2D02EF8Du);

}  // namespace

std::uint32_t ChunkCrc(const std::uint8_t* source, std::size_t length) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < length; ++i) {
        crc = (crc >> 8) ^ kCrcTable[(crc ^ source[i]) & 0xFF];
    }
    return crc;
}

}  // namespace kt73b
