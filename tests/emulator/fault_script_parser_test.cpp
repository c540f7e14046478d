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

// What each effect does is checked through the emulator; these are the parts only the parser has.
TEST(FaultScript, OnwardsAnyAndRulesMatchingOneRequestMerged) {
    const FaultScript script = Parsed("finish#2+=duplicate; any#5=status:3");
    EXPECT_EQ(script.PlanFor(RequestKind::kFinish, 1, 1).copies, 1);
    EXPECT_EQ(script.PlanFor(RequestKind::kFinish, 1000, 1).copies, 2);
    // `any` counts all requests together
    EXPECT_EQ(script.PlanFor(RequestKind::kWrite, 1, 5).status, 3);
    EXPECT_FALSE(script.PlanFor(RequestKind::kWrite, 5, 4).status);

    const FaultScript merged = Parsed("write=delay:10ms,status:3;write#2=delay:5ms,status:8");
    EXPECT_EQ(merged.PlanFor(RequestKind::kWrite, 1, 1).delay, milliseconds(10));
    const FaultPlan second = merged.PlanFor(RequestKind::kWrite, 2, 2);
    EXPECT_EQ(second.delay, milliseconds(15));
    EXPECT_EQ(second.status, 8);
}

TEST(FaultScript, MistakesSayWhatIsWrongAndAddNothing) {
    const std::pair<const char*, const char*> cases[] = {
        {"wrte=drop", "unknown request kind 'wrte'"},
        {"write#0=drop", "counted from 1"},
        {"write#5-3=drop", "range"},
        {"write", "'='"},
        {"write=explode", "'explode'"},
        {"erase=ignore;finish=bogus", "finish=bogus"},  // the good rule before is not kept
        {"write=status:128", "'status:128'"},
        {"write=status:", "'status:'"},
        {"write=delay:fast", "'delay:fast'"},
        {"write=split:0", "'split:0'"},
        {"write#x=drop", "'#x'"},
    };
    for (const auto& [text, said] : cases) {
        SCOPED_TRACE(text);
        FaultScript script;
        std::string error;
        EXPECT_FALSE(ParseFaultScript(text, script, error));
        EXPECT_TRUE(script.Empty());
        EXPECT_NE(error.find(said), std::string::npos) << error;
    }
}

TEST(FaultScript, EveryNamedScriptParsesAndIsFoundByItsName) {
    for (const NamedFaultScript& named : NamedFaultScripts()) {
        EXPECT_FALSE(Parsed(named.rules).Empty()) << named.name;
        EXPECT_EQ(FindNamedFaultScript(named.name), &named);
    }
    EXPECT_EQ(FindNamedFaultScript("no-such-script"), nullptr);
}

// The units are read in the program options' and the fault scripts' tests.
TEST(DurationText, ABareNumberIsMillisecondsMistakesAreRefusedTheLargestWholeUnitIsWritten) {
    Micros duration{0};
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
