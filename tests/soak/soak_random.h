// The soak's random numbers: SplitMix64, whose output is fixed by its definition, so a seed
// draws the same faults with every compiler and standard library.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kt73b::soak {

class SoakRandom {
  public:
    explicit SoakRandom(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [low, high]; the tiny modulo bias does not matter for fault draws.
    std::uint64_t Between(std::uint64_t low, std::uint64_t high) {
        return low + Next() % (high - low + 1);
    }

    bool Percent(unsigned chance) { return Between(1, 100) <= chance; }

    // An index into `weights`, each drawn in proportion to its weight.
    template <class Weights>
    std::size_t Weighted(const Weights& weights) {
        std::uint64_t total = 0;
        for (const auto weight : weights) {
            total += weight;
        }
        std::uint64_t pick = Between(1, total);
        std::size_t index = 0;
        for (const auto weight : weights) {
            if (pick <= weight) {
                return index;
            }
            pick -= weight;
            ++index;
        }
        return index - 1;
    }

  private:
    std::uint64_t state_;
};

}  // namespace kt73b::soak
