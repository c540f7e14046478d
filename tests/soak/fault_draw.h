// Random fault scripts for the soak: every effect the emulator can inject, on every kind of
// request, at random occurrences, drawn from a seed so that any run can be repeated exactly.
#pragma once

#include <array>
#include <cstdint>
#include <numeric>
#include <random>
#include <string>

#include "app/update_timings.h"

namespace kt73b::soak {

// The 64-bit Mersenne Twister, whose output the standard fixes, used without the standard's
// distributions, which it does not: a seed draws the same faults with every standard library.
class SoakRandom {
  public:
    explicit SoakRandom(std::uint64_t seed) : engine_(seed) {}

    // Uniform in [low, high]; the tiny modulo bias does not matter for fault draws.
    std::uint64_t Between(std::uint64_t low, std::uint64_t high) {
        return low + engine_() % (high - low + 1);
    }
    bool Percent(unsigned chance) { return Between(1, 100) <= chance; }
    // An index into `weights`, each drawn in proportion to its weight.
    template <std::size_t N>
    std::size_t Weighted(const std::array<unsigned, N>& weights) {
        std::uint64_t pick = Between(1, std::accumulate(weights.begin(), weights.end(), 0ull));
        std::size_t index = 0;
        for (; pick > weights[index]; ++index) {
            pick -= weights[index];
        }
        return index;
    }

  private:
    std::mt19937_64 engine_;
};

// One run of a soak: the device's faults and when the user closes the dialog.
struct RunPlan {
    static constexpr std::uint32_t kAtTheEnd = ~0u;
    std::string rules;  // the emulator's rule syntax; empty: a device without faults
    std::uint32_t closeAfterRequests = kAtTheEnd;  // once the device has received this many
    bool closeWhileBoxShows = false;               // in the run's first message box
};

// Delays and late answers aim at the waits of `timings`.
RunPlan DrawFaults(std::uint64_t seed, const UpdateTimings& timings);

}  // namespace kt73b::soak
