// The soak's fault draw: repeatable from its seed, always valid rule syntax, and over many seeds
// every kind of request and every effect the emulator has.
#include "fault_draw.h"

#include <gtest/gtest.h>

#include <set>

#include "emulator/fault_script_parser.h"

namespace kt73b::soak {
namespace {

using namespace std::chrono_literals;

constexpr FaultDrawTimings kTimings{200ms, 600ms, 2ms};
constexpr std::uint64_t kSeeds = 4000;

TEST(FaultDraw, TheSameSeedDrawsTheSameScript) {
    for (std::uint64_t seed = 1; seed <= 50; ++seed) {
        const DrawnFaults first = DrawFaults(seed, kTimings);
        const DrawnFaults again = DrawFaults(seed, kTimings);
        EXPECT_EQ(first.rules, again.rules) << seed;
        EXPECT_EQ(first.effects, again.effects) << seed;
    }
    std::set<std::string> scripts;
    for (std::uint64_t seed = 1; seed <= 200; ++seed)
        scripts.insert(DrawFaults(seed, kTimings).rules);
    EXPECT_GT(scripts.size(), 150u);
}

TEST(FaultDraw, EveryScriptIsValidForTheEmulator) {
    for (std::uint64_t seed = 1; seed <= kSeeds; ++seed) {
        const DrawnFaults drawn = DrawFaults(seed, kTimings);
        emu::FaultScript script;
        std::string error;
        EXPECT_TRUE(emu::ParseFaultScript(drawn.rules, script, error))
            << "seed " << seed << ": \"" << drawn.rules << "\": " << error;
        EXPECT_EQ(drawn.rules.empty(), drawn.effects.empty()) << seed;
    }
}

TEST(FaultDraw, ManySeedsCoverEveryKindAndEveryEffect) {
    std::set<std::string> kinds;
    std::set<std::string> effects;
    int unfaulted = 0;
    for (std::uint64_t seed = 1; seed <= kSeeds; ++seed) {
        const DrawnFaults drawn = DrawFaults(seed, kTimings);
        unfaulted += drawn.rules.empty() ? 1 : 0;
        effects.insert(drawn.effects.begin(), drawn.effects.end());
        emu::FaultScript script;
        std::string error;
        ASSERT_TRUE(emu::ParseFaultScript(drawn.rules, script, error));
        for (const emu::FaultRule& rule : script.Rules())
            kinds.insert(rule.kind ? emu::RequestKindName(*rule.kind) : "any");
    }
    EXPECT_EQ(kinds, (std::set<std::string>{"any", "erase", "finish", "identity", "update-mode",
                                            "write"}));
    EXPECT_EQ(effects,
              (std::set<std::string>{"delay-long", "delay-short", "drop", "duplicate", "ignore",
                                     "late", "model", "silent", "split", "status", "truncate"}));
    EXPECT_GT(unfaulted, 0);
}

// A device that answers 0 without writing would make any host complete with the wrong flash.
TEST(FaultDraw, NoWriteOrEraseIsAcknowledgedWithoutBeingDone) {
    for (std::uint64_t seed = 1; seed <= kSeeds; ++seed) {
        emu::FaultScript script;
        std::string error;
        ASSERT_TRUE(emu::ParseFaultScript(DrawFaults(seed, kTimings).rules, script, error));
        for (const emu::FaultRule& rule : script.Rules()) {
            const bool doesFlashWork = !rule.kind || *rule.kind == emu::RequestKind::kErase ||
                                       *rule.kind == emu::RequestKind::kWrite;
            if (doesFlashWork && rule.plan.status) {
                EXPECT_NE(*rule.plan.status, 0) << "seed " << seed;
            }
        }
    }
}

TEST(FaultDraw, ADoubledAnswerIsNeverFollowedCloselyByALostRequest) {
    EXPECT_TRUE(PairsADoubledAnswerWithALoss("write#5=duplicate;write#9=ignore"));
    EXPECT_TRUE(PairsADoubledAnswerWithALoss("erase#1=duplicate;write#3=status:8"));
    EXPECT_TRUE(PairsADoubledAnswerWithALoss("any#100=duplicate;any#110+=silent"));
    EXPECT_FALSE(PairsADoubledAnswerWithALoss("write#5=duplicate;write#90=ignore"));
    EXPECT_FALSE(PairsADoubledAnswerWithALoss("write#5=duplicate;write#6=drop"));
    EXPECT_FALSE(PairsADoubledAnswerWithALoss("write#5=late:250ms;write#6=ignore"));
    for (std::uint64_t seed = 1; seed <= kSeeds; ++seed) {
        const DrawnFaults drawn = DrawFaults(seed, kTimings);
        EXPECT_FALSE(PairsADoubledAnswerWithALoss(drawn.rules)) << seed << ": " << drawn.rules;
    }
}

}  // namespace
}  // namespace kt73b::soak
