#include "fault_draw.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "emulator/fault_script_parser.h"
#include "soak_random.h"

namespace kt73b::soak {

namespace {

using std::chrono::milliseconds;

struct KindInfo {
    std::string_view name;
    unsigned weight;
    std::uint64_t lastOccurrence;  // beyond what a run sends, re-sends included, by a little
    bool bounded;                  // its wait has a time-out
    bool retried;                  // a status that is not 0 makes the host send it again
};

// Write-data frames are by far the most numerous requests: 1,902 in a run without faults.
constexpr std::array kKinds = {
    KindInfo{"identity", 8, 2, true, false}, KindInfo{"update-mode", 8, 2, false, false},
    KindInfo{"erase", 12, 5, true, true},    KindInfo{"write", 60, 1910, true, true},
    KindInfo{"finish", 7, 2, true, false},   KindInfo{"any", 5, 1920, true, true},
};

enum class Effect {
    kIgnore,
    kDrop,
    kDuplicate,
    kSilent,
    kDelayShort,
    kDelayLong,
    kLate,
    kStatus,
    kModel,
    kSplit,
    kTruncate
};
// How many of the last occurrences a slow effect may cover when it runs to the end.
constexpr std::uint64_t kSlowTail = 40;

constexpr std::array<unsigned, 11> kEffectWeights = {12, 12, 12, 5, 8, 6, 10, 16, 8, 5, 6};
constexpr std::array<std::string_view, 11> kEffectNames = {
    "ignore", "drop",   "duplicate", "silent", "delay-short", "delay-long",
    "late",   "status", "model",     "split",  "truncate"};

class Drawer {
  public:
    Drawer(std::uint64_t seed, const FaultDrawTimings& timings)
        : random_(seed), timings_(timings) {}

    DrawnFaults Draw() {
        do {
            drawn_ = {};
            if (random_.Percent(8)) {
                return {};
            }
            if (random_.Percent(25)) {
                DrawCloseCall();
            } else {
                const auto rules = random_.Between(1, 3);
                for (std::uint64_t i = 0; i < rules; ++i) {
                    DrawRule();
                }
            }
        } while (PairsADoubledAnswerWithALoss(drawn_.rules));
        return std::move(drawn_);
    }

  private:
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
        switch (random_.Weighted(std::array{55u, 25u, 8u, 12u})) {
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
        const KindInfo& kind = kKinds[random_.Weighted(
            std::array{kKinds[0].weight, kKinds[1].weight, kKinds[2].weight, kKinds[3].weight,
                       kKinds[4].weight, kKinds[5].weight})];
        std::string effects;
        bool slow = false;
        const auto count = random_.Percent(20) ? 2 : 1;
        for (int i = 0; i < count; ++i) {
            const auto effect = static_cast<Effect>(random_.Weighted(kEffectWeights));
            slow = slow || effect == Effect::kLate || effect == Effect::kDelayLong ||
                   effect == Effect::kDelayShort;
            if (i != 0) {
                effects += ',';
            }
            effects += EffectText(effect, kind);
        }
        AddRule(std::string(kind.name) + Occurrences(kind, slow && kind.retried) + "=" + effects);
    }

    // An answer held back past the host's time-out with a second fault on a request close
    // behind it: the late answer would land in the wait of a request that needs its own answer.
    void DrawCloseCall() {
        const std::uint64_t first = random_.Between(1, 1900);
        const KindInfo& write = kKinds[3];
        const std::string stale =
            random_.Percent(50) ? Note(Effect::kLate, "late:" + Millis(NearTheResend()))
                                : Note(Effect::kDelayLong, "delay:" + Millis(NearTheResend()));
        AddRule("write#" + std::to_string(first) + "=" + stale);
        const std::uint64_t victim = first + random_.Between(1, 6);
        static constexpr std::array kVictimEffects = {Effect::kIgnore, Effect::kStatus,
                                                      Effect::kDrop, Effect::kDuplicate};
        const Effect effect = kVictimEffects[random_.Between(0, kVictimEffects.size() - 1)];
        AddRule("write#" + std::to_string(victim) + "=" + EffectText(effect, write));
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

    // Most requests are chunks, so rules on requests of any kind aim at the write wait too.
    milliseconds TimeoutOf(const KindInfo& kind) const {
        const bool chunks = kind.name == "write" || kind.name == "any";
        return chunks || !kind.bounded ? timings_.writeTimeout : timings_.otherTimeout;
    }

    std::string Note(Effect effect, std::string text) {
        drawn_.effects.emplace_back(kEffectNames[static_cast<std::size_t>(effect)]);
        return text;
    }

    static std::string Millis(milliseconds time) { return std::to_string(time.count()) + "ms"; }

    std::string StatusText(const KindInfo& kind) {
        // A device that acknowledges work it did not do is not the host's fault: no status 0
        // where the status says whether the flash was written.
        const std::uint64_t lowest = kind.retried ? 1 : 0;
        static constexpr std::array<std::uint64_t, 4> kKnown = {3, 8, 11, 1};
        if (random_.Percent(60)) {
            return std::to_string(kKnown[random_.Between(0, kKnown.size() - 1)]);
        }
        return std::to_string(random_.Between(lowest, 127));
    }

    std::string EffectText(Effect effect, const KindInfo& kind) {
        const milliseconds timeout = TimeoutOf(kind);
        switch (effect) {
            case Effect::kIgnore:
                return Note(effect, "ignore");
            case Effect::kDrop:
                return Note(effect, "drop");
            case Effect::kDuplicate:
                return Note(effect, "duplicate");
            case Effect::kSilent:
                return Note(effect, "silent");
            case Effect::kDelayShort:
                return Note(
                    effect,
                    "delay:" + Millis(milliseconds(random_.Between(0, timeout.count() / 4))));
            case Effect::kDelayLong:
                return Note(effect, "delay:" + Millis(WellAfter(timeout)));
            case Effect::kLate:
                return Note(effect, "late:" + Millis(kind.retried && random_.Percent(50)
                                                         ? NearTheResend()
                                                         : WellAfter(timeout)));
            case Effect::kStatus:
                return Note(effect, "status:" + StatusText(kind));
            case Effect::kModel: {
                static constexpr std::array<std::uint64_t, 2> kNear = {0x58, 0x59};
                const std::uint64_t model =
                    random_.Percent(60) ? kNear[random_.Between(0, 1)] : random_.Between(0, 127);
                return Note(effect, "model:" + std::to_string(model));
            }
            case Effect::kSplit:
                return Note(effect, "split:" + std::to_string(random_.Between(1, 7)));
            case Effect::kTruncate:
                return Note(effect, "truncate:" + std::to_string(random_.Between(1, 7)));
        }
        return {};
    }

    SoakRandom random_;
    FaultDrawTimings timings_;
    DrawnFaults drawn_;
};

}  // namespace

namespace {

// The requests of a run without faults, in order, by kind and count: the filter below looks along
// them (re-sends shift the later ones a little; its reach allows for that).
struct Stretch {
    emu::RequestKind kind;
    std::uint32_t count;
};
constexpr Stretch kRun[] = {
    {emu::RequestKind::kIdentity, 1}, {emu::RequestKind::kUpdateMode, 1},
    {emu::RequestKind::kErase, 2},    {emu::RequestKind::kWrite, 128},
    {emu::RequestKind::kErase, 1},    {emu::RequestKind::kWrite, 1774},
    {emu::RequestKind::kFinish, 1},
};
constexpr std::uint32_t kLossReach = 40;

}  // namespace

// A doubled answer whose copy reaches the host only after the host's next request went out
// cannot be told from that request's answer by any host: the device's answers carry no request
// id. Followed closely by a request the device loses or does not carry out, it makes a correct
// host complete with that chunk unwritten whenever scheduling holds the copy back (the soak
// under the sanitizers found such runs). So the draw leaves that pairing out.
bool PairsADoubledAnswerWithALoss(const std::string& rules) {
    emu::FaultScript script;
    std::string error;
    if (rules.empty() || !emu::ParseFaultScript(rules, script, error)) {
        return false;
    }
    std::vector<emu::FaultPlan> plans;
    std::array<std::uint32_t, emu::kRequestKindCount> counts{};
    for (const Stretch& stretch : kRun) {
        for (std::uint32_t i = 0; i < stretch.count; ++i) {
            const auto occurrence = ++counts[static_cast<std::size_t>(stretch.kind)];
            plans.push_back(script.PlanFor(stretch.kind, occurrence,
                                           static_cast<std::uint32_t>(plans.size() + 1)));
        }
    }
    for (std::size_t i = 0; i < plans.size(); ++i) {
        if (plans[i].copies < 2) {
            continue;
        }
        for (std::size_t j = i + 1; j < plans.size() && j <= i + kLossReach; ++j) {
            if (plans[j].ignore || plans[j].silent || plans[j].status) {
                return true;
            }
        }
    }
    return false;
}

DrawnFaults DrawFaults(std::uint64_t seed, const FaultDrawTimings& timings) {
    return Drawer(seed, timings).Draw();
}

}  // namespace kt73b::soak
