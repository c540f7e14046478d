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
    for (std::uint64_t seed = 1; seed <= 200; ++seed) {
        scripts.insert(DrawFaults(seed, kTimings).rules);
    }
    EXPECT_GT(scripts.size(), 150u);
}

// Over many seeds: every script is valid rule syntax, every kind of request and every effect the
// emulator has is drawn, some runs have no fault at all, and no write or erase is ever answered 0
// without being done (a device that did so would make any host complete with the wrong flash).
TEST(FaultDraw, ManySeedsDrawValidScriptsOfEveryKindAndEffectThatNeverFakeAWrite) {
    std::set<std::string> kinds;
    std::set<std::string> effects;
    int unfaulted = 0;
    for (std::uint64_t seed = 1; seed <= kSeeds; ++seed) {
        const DrawnFaults drawn = DrawFaults(seed, kTimings);
        unfaulted += drawn.rules.empty() ? 1 : 0;
        EXPECT_EQ(drawn.rules.empty(), drawn.effects.empty()) << seed;
        effects.insert(drawn.effects.begin(), drawn.effects.end());
        emu::FaultScript script;
        std::string error;
        ASSERT_TRUE(emu::ParseFaultScript(drawn.rules, script, error))
            << "seed " << seed << ": \"" << drawn.rules << "\": " << error;
        for (const emu::FaultRule& rule : script.Rules()) {
            kinds.insert(rule.kind ? emu::RequestKindName(*rule.kind) : "any");
            const bool doesFlashWork = !rule.kind || *rule.kind == emu::RequestKind::kErase ||
                                       *rule.kind == emu::RequestKind::kWrite;
            if (doesFlashWork && rule.plan.status) {
                EXPECT_NE(*rule.plan.status, 0) << "seed " << seed;
            }
        }
        EXPECT_FALSE(PairsADoubledAnswerWithALoss(drawn.rules)) << seed << ": " << drawn.rules;
    }
    EXPECT_EQ(kinds, (std::set<std::string>{"any", "erase", "finish", "identity", "update-mode",
                                            "write"}));
    EXPECT_EQ(effects,
              (std::set<std::string>{"delay-long", "delay-short", "drop", "duplicate", "ignore",
                                     "late", "model", "silent", "split", "status", "truncate"}));
    EXPECT_GT(unfaulted, 0);
}

TEST(FaultDraw, TellsADoubledAnswerFollowedCloselyByALostRequest) {
    EXPECT_TRUE(PairsADoubledAnswerWithALoss("write#5=duplicate;write#9=ignore"));
    EXPECT_TRUE(PairsADoubledAnswerWithALoss("erase#1=duplicate;write#3=status:8"));
    EXPECT_TRUE(PairsADoubledAnswerWithALoss("any#100=duplicate;any#110+=silent"));
    EXPECT_FALSE(PairsADoubledAnswerWithALoss("write#5=duplicate;write#90=ignore"));
    EXPECT_FALSE(PairsADoubledAnswerWithALoss("write#5=duplicate;write#6=drop"));
    EXPECT_FALSE(PairsADoubledAnswerWithALoss("write#5=late:250ms;write#6=ignore"));
}

}  // namespace
}  // namespace kt73b::soak
