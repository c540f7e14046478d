#include "emulator/fault_script_parser.h"

#include <gtest/gtest.h>

#include "emulator/duration_text.h"
#include "emulator/named_fault_scripts.h"

namespace kt73b::emu {
namespace {

using std::chrono::milliseconds;

FaultScript Parsed(std::string_view text) {
    FaultScript script;
    std::string error;
    EXPECT_TRUE(ParseFaultScript(text, script, error)) << text << ": " << error;
    return script;
}

std::string ErrorOf(std::string_view text) {
    FaultScript script;
    std::string error;
    EXPECT_FALSE(ParseFaultScript(text, script, error)) << text;
    EXPECT_TRUE(script.Empty()) << text;
    return error;
}

TEST(FaultScript_Occurrences, OneRangeOnwardsAndEvery) {
    const FaultScript script = Parsed("write#3=drop; erase#2-4=ignore; finish#2+=duplicate");
    EXPECT_FALSE(script.PlanFor(RequestKind::kWrite, 2, 10).drop);
    EXPECT_TRUE(script.PlanFor(RequestKind::kWrite, 3, 10).drop);
    EXPECT_FALSE(script.PlanFor(RequestKind::kWrite, 4, 10).drop);
    EXPECT_FALSE(script.PlanFor(RequestKind::kErase, 1, 1).ignore);
    EXPECT_TRUE(script.PlanFor(RequestKind::kErase, 4, 1).ignore);
    EXPECT_FALSE(script.PlanFor(RequestKind::kErase, 5, 1).ignore);
    EXPECT_EQ(script.PlanFor(RequestKind::kFinish, 1000, 1).copies, 2);
    EXPECT_EQ(script.PlanFor(RequestKind::kFinish, 1, 1).copies, 1);

    const FaultScript every = Parsed("identity=silent");
    EXPECT_TRUE(every.PlanFor(RequestKind::kIdentity, 1, 1).silent);
    EXPECT_TRUE(every.PlanFor(RequestKind::kIdentity, 77, 1).silent);
    EXPECT_FALSE(every.PlanFor(RequestKind::kWrite, 1, 1).AnyFault());
}

TEST(FaultScript_Occurrences, AnyCountsAllRequestsTogether) {
    const FaultScript script = Parsed("any#5=status:3");
    EXPECT_EQ(script.PlanFor(RequestKind::kWrite, 1, 5).status, 3);
    EXPECT_FALSE(script.PlanFor(RequestKind::kWrite, 5, 4).status);
}

TEST(FaultScript_Effects, EveryEffectWithItsArgument) {
    const FaultScript script = Parsed(
        "write=delay:250ms,late:2s,status:0x0B,model:89,split:3,truncate:4,duplicate,drop,"
        "ignore,silent");
    const FaultPlan plan = script.PlanFor(RequestKind::kWrite, 1, 1);
    EXPECT_EQ(plan.delay, milliseconds(250));
    EXPECT_EQ(plan.late, milliseconds(2000));
    EXPECT_EQ(plan.status, 11);
    EXPECT_EQ(plan.model, 89);
    EXPECT_EQ(plan.splitBytes, 3u);
    EXPECT_EQ(plan.truncateBytes, 4u);
    EXPECT_EQ(plan.copies, 2);
    EXPECT_TRUE(plan.drop && plan.ignore && plan.silent);
}

TEST(FaultScript_Effects, RulesMatchingOneRequestAreMerged) {
    const FaultScript script = Parsed("write=delay:10ms,status:3;write#2=delay:5ms,status:8");
    const FaultPlan first = script.PlanFor(RequestKind::kWrite, 1, 1);
    EXPECT_EQ(first.delay, milliseconds(10));
    EXPECT_EQ(first.status, 3);
    const FaultPlan second = script.PlanFor(RequestKind::kWrite, 2, 2);
    EXPECT_EQ(second.delay, milliseconds(15));
    EXPECT_EQ(second.status, 8);
}

TEST(FaultScript_Mistakes, SayWhatIsWrongAndAddNothing) {
    EXPECT_NE(ErrorOf("wrte=drop").find("unknown request kind 'wrte'"), std::string::npos);
    EXPECT_NE(ErrorOf("write#0=drop").find("counted from 1"), std::string::npos);
    EXPECT_NE(ErrorOf("write#5-3=drop").find("range"), std::string::npos);
    EXPECT_NE(ErrorOf("write").find("'='"), std::string::npos);
    EXPECT_NE(ErrorOf("write=explode").find("'explode'"), std::string::npos);
    ErrorOf("write=status:128");
    ErrorOf("write=status:");
    ErrorOf("write=delay:fast");
    ErrorOf("write=split:0");
    ErrorOf("write#x=drop");
    // a good rule before a bad one is not kept either
    EXPECT_NE(ErrorOf("erase=ignore;finish=bogus").find("finish=bogus"), std::string::npos);
}

TEST(FaultScript_Named, EveryNamedScriptParses) {
    for (const NamedFaultScript& named : NamedFaultScripts()) {
        const FaultScript script = Parsed(named.rules);
        EXPECT_FALSE(script.Empty()) << named.name;
        EXPECT_EQ(FindNamedFaultScript(named.name), &named);
    }
    EXPECT_EQ(FindNamedFaultScript("no-such-script"), nullptr);
    EXPECT_NE(FindNamedFaultScript("not-in-update-mode"), nullptr);
    EXPECT_NE(FindNamedFaultScript("crc-error-once"), nullptr);
    EXPECT_NE(FindNamedFaultScript("silent-after-erase"), nullptr);
}

TEST(DurationText, UnitsAndMistakes) {
    Micros duration{0};
    EXPECT_TRUE(ParseDuration("150ms", duration));
    EXPECT_EQ(duration, milliseconds(150));
    EXPECT_TRUE(ParseDuration("2s", duration));
    EXPECT_EQ(duration, milliseconds(2000));
    EXPECT_TRUE(ParseDuration("250us", duration));
    EXPECT_EQ(duration, Micros(250));
    EXPECT_TRUE(ParseDuration("40", duration));
    EXPECT_EQ(duration, milliseconds(40));
    for (const char* bad : {"", "ms", "-5ms", "1.5s", "5 ms", "5m", "99999999999999999s"}) {
        EXPECT_FALSE(ParseDuration(bad, duration)) << bad;
    }
    EXPECT_EQ(FormatDuration(milliseconds(150)), "150ms");
    EXPECT_EQ(FormatDuration(milliseconds(3000)), "3s");
    EXPECT_EQ(FormatDuration(Micros(1500)), "1500us");
    EXPECT_EQ(FormatDuration(Micros(0)), "0ms");
}

}  // namespace
}  // namespace kt73b::emu
