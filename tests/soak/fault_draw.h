// Random fault scripts for the soak: every effect the emulator can inject, on every kind of
// request, at random occurrences, drawn from a seed so that any run can be repeated exactly.
#pragma once

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <numeric>
#include <random>
#include <string>
#include <string_view>

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

using std::chrono::milliseconds;

struct KindInfo {
    std::string_view name;
    std::uint64_t lastOccurrence;  // beyond what a run sends, re-sends included, by a little
    bool retried;                  // a status that is not 0 makes the host send it again
};

// Write-data frames are by far the most numerous requests: 1,902 in a run without faults.
inline constexpr std::array kKinds = {
    KindInfo{"identity", 2, false}, KindInfo{"update-mode", 2, false}, KindInfo{"erase", 5, true},
    KindInfo{"write", 1910, true},  KindInfo{"finish", 2, false},      KindInfo{"any", 1920, true},
};
inline constexpr std::array<unsigned, kKinds.size()> kKindWeights = {8, 8, 12, 60, 7, 5};

// Every effect the emulator can inject; its delay twice, aimed inside and beyond the host's wait.
inline constexpr std::array<std::string_view, 11> kEffects = {
    "ignore", "drop",   "duplicate", "silent", "delay-short", "delay-long",
    "late",   "status", "model",     "split",  "truncate"};
inline constexpr std::array<unsigned, kEffects.size()> kEffectWeights = {12, 12, 12, 5, 8, 6,
                                                                         10, 16, 8,  5, 6};
// How many of the last occurrences a slow effect may cover when it runs to the end.
inline constexpr std::uint64_t kSlowTail = 40;

inline std::string Millis(milliseconds time) {
    return std::to_string(time.count()) + "ms";
}

class Drawer {
  public:
    Drawer(std::uint64_t seed, const UpdateTimings& timings) : random_(seed), timings_(timings) {}

    // A doubled answer whose copy reaches the host only after its next request went out cannot
    // be told from that request's answer by any host: the device's answers carry no request id.
    // With a lost or refused request close behind, a correct host completes with that chunk
    // unwritten whenever scheduling holds the copy back (the sanitizer builds found such runs),
    // so no script pairs the two.
    RunPlan Draw() {
        do {
            drawn_ = {};
            if (random_.Percent(8)) {
                return {};
            }
            if (random_.Percent(25)) {
                DrawCloseCall();
            } else {
                for (auto rules = random_.Between(1, 3); rules > 0; --rules) {
                    DrawRule();
                }
            }
        } while (Drew("duplicate") && (Drew("ignore") || Drew("silent") || Drew("status")));
        return std::move(drawn_);
    }

  private:
    bool Drew(const char* effect) const { return drawn_.rules.find(effect) != std::string::npos; }

    void AddRule(const std::string& rule) {
        drawn_.rules += drawn_.rules.empty() ? rule : ";" + rule;
    }

    static std::string Numbered(std::uint64_t occurrence) {
        // Appended: GCC 12 at -O3 reports a false -Wrestrict in "#" + std::to_string(...).
        std::string text = "#";
        return text.append(std::to_string(occurrence));
    }

    // Held-back answers on every chunk from early on would make a run take minutes without
    // ending it: those cover a few occurrences, or the last ones.
    std::string Occurrences(const KindInfo& kind, bool slow) {
        const std::uint64_t first = random_.Between(1, kind.lastOccurrence);
        switch (random_.Weighted(std::array{55u, 25u, 20u})) {
            case 0:
                return Numbered(first);
            case 1:
                return Numbered(first).append("-").append(
                    std::to_string(first + random_.Between(0, 8)));
            default:
                if (!slow) {
                    return random_.Percent(40) ? Numbered(first).append("+") : "";
                }
                const auto tail = std::min(kSlowTail, kind.lastOccurrence - 1);
                return Numbered(kind.lastOccurrence - random_.Between(0, tail)).append("+");
        }
    }

    void DrawRule() {
        const KindInfo& kind = kKinds[random_.Weighted(kKindWeights)];
        std::string effects;
        bool slow = false;
        for (auto count = random_.Percent(20) ? 2 : 1; count > 0; --count) {
            const std::string_view effect = kEffects[random_.Weighted(kEffectWeights)];
            slow = slow || effect == "late" || effect.starts_with("delay");
            effects += (effects.empty() ? "" : ",") + EffectText(effect, kind);
        }
        AddRule(std::string(kind.name) + Occurrences(kind, slow && kind.retried) + "=" + effects);
    }

    // An answer held back past the host's time-out with a second fault on a request close
    // behind it: the late answer would land in the wait of a request that needs its own answer.
    void DrawCloseCall() {
        const std::uint64_t first = random_.Between(1, 1900);
        const bool late = random_.Percent(50);
        AddRule(std::string("write").append(Numbered(first)) + (late ? "=late:" : "=delay:") +
                Millis(NearTheResend()));
        const auto victim =
            std::array{"ignore", "status", "drop", "duplicate"}[random_.Between(0, 3)];
        AddRule(std::string("write").append(Numbered(first + random_.Between(1, 6))) + "=" +
                EffectText(victim, kKinds[3]));
    }

    // Just after the host's time-out and its pause: the answer arrives while the host waits for
    // the re-sent request or for the next one.
    milliseconds NearTheResend() {
        return timings_.writeTimeout + timings_.retryPause + milliseconds(random_.Between(0, 12));
    }

    // Within the host's wait for a late answer after a time-out (one more time-out), with room
    // for the scheduling of a loaded machine.
    milliseconds WellAfter(milliseconds timeout) {
        return timeout + milliseconds(random_.Between(1, timeout.count() * 3 / 4));
    }

    std::string EffectText(std::string_view effect, const KindInfo& kind) {
        // Most requests are chunks, so rules on requests of any kind aim at the write wait too;
        // the update-mode wait has no time-out.
        const bool bounded =
            kind.name == "identity" || kind.name == "erase" || kind.name == "finish";
        const milliseconds timeout = bounded ? timings_.identityTimeout : timings_.writeTimeout;
        if (effect.starts_with("delay")) {
            return "delay:" + Millis(effect == "delay-long"
                                         ? WellAfter(timeout)
                                         : milliseconds(random_.Between(0, timeout.count() / 4)));
        }
        if (effect == "late") {
            return "late:" + Millis(kind.retried && random_.Percent(50) ? NearTheResend()
                                                                        : WellAfter(timeout));
        }
        if (effect == "status") {
            // A device that acknowledges work it did not do is not the host's fault: no status 0
            // where the status says whether the flash was written.
            return "status:" +
                   std::to_string(random_.Percent(60)
                                      ? std::array{3u, 8u, 11u, 1u}[random_.Between(0, 3)]
                                      : random_.Between(kind.retried ? 1 : 0, 127));
        }
        if (effect == "model") {
            return "model:" + std::to_string(random_.Percent(60) ? random_.Between(0x58, 0x59)
                                                                 : random_.Between(0, 127));
        }
        const bool sized = effect == "split" || effect == "truncate";
        return std::string(effect) + (sized ? ":" + std::to_string(random_.Between(1, 7)) : "");
    }

    SoakRandom random_;
    UpdateTimings timings_;
    RunPlan drawn_;
};

// Delays and late answers aim at the waits of `timings`.
inline RunPlan DrawFaults(std::uint64_t seed, const UpdateTimings& timings) {
    return Drawer(seed, timings).Draw();
}

}  // namespace kt73b::soak
