// Writes a deterministic stand-in for a firmware image: bytes from a small PRNG seeded by the
// image id, so every build makes the same file, each image differs from the others, and about
// half the bytes have bit 7 set, which exercises the 7-in-8 packing.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

std::uint64_t SplitMix64(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s IMAGE_ID SIZE_BYTES OUTPUT_FILE\n", argv[0]);
        return 2;
    }
    const auto id = std::strtoull(argv[1], nullptr, 10);
    const auto size = std::strtoull(argv[2], nullptr, 10);
    std::vector<unsigned char> bytes(size);
    std::uint64_t state = 0x4B5437334200ull + id;
    for (std::size_t i = 0; i < bytes.size(); i += 8) {
        std::uint64_t word = SplitMix64(state);
        for (std::size_t j = 0; j < 8 && i + j < bytes.size(); ++j, word >>= 8) {
            bytes[i + j] = static_cast<unsigned char>(word & 0xFF);
        }
    }
    std::FILE* out = std::fopen(argv[3], "wb");
    if (out == nullptr) {
        std::perror(argv[3]);
        return 1;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    const bool closed = std::fclose(out) == 0;
    if (!written || !closed) {
        std::fprintf(stderr, "%s: write failed\n", argv[3]);
        return 1;
    }
    return 0;
}
