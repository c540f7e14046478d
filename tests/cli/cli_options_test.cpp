// The command line as words: what each option sets, and every way a command line can be wrong.
#include "app/cli/cli_options.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/cli/exit_status.h"

namespace kt73b::cli {
namespace {

struct Parsed {
    bool ok;
    CliOptions options;
    std::string error;
};

Parsed Parse(std::vector<std::string_view> words) {
    Parsed parsed{};
    parsed.ok = ParseCliOptions(words, parsed.options, parsed.error);
    return parsed;
}

TEST(CliOptions, NoWordsMeanAnUpdateThroughThePreSelectedPorts) {
    const Parsed parsed = Parse({});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_FALSE(parsed.options.list);
    EXPECT_FALSE(parsed.options.emulate);
    EXPECT_FALSE(parsed.options.in.has_value());
    EXPECT_FALSE(parsed.options.out.has_value());
    EXPECT_TRUE(parsed.options.faultRules.empty());
}

TEST(CliOptions, PortsTakeTheirValueAsTheNextWordOrAfterAnEqualsSign) {
    const Parsed parsed = Parse({"--in", "2", "--out=USB Audio Device (2)"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.in, "2");
    EXPECT_EQ(parsed.options.out, "USB Audio Device (2)");
}

TEST(CliOptions, AValueMayItselfLookLikeAnOptionOrHoldAnEqualsSign) {
    const Parsed parsed = Parse({"--in", "--list", "--out=a=b"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.in, "--list");
    EXPECT_FALSE(parsed.options.list);
    EXPECT_EQ(parsed.options.out, "a=b");
}

TEST(CliOptions, FaultTakesAScriptNameOrRulesAndResolvesNamesToRules) {
    Parsed parsed = Parse({"--emulate", "--fault", "not-in-update-mode"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.faultRules, "update-mode=status:11");

    parsed = Parse({"--fault=write#3=status:8", "--emulate"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.faultRules, "write#3=status:8");
}

TEST(CliOptions, ListAndHelpAreFlags) {
    const Parsed parsed = Parse({"--list", "--emulate", "--help"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_TRUE(parsed.options.list);
    EXPECT_TRUE(parsed.options.emulate);
    EXPECT_TRUE(parsed.options.help);
}

struct BadCommandLine {
    std::vector<std::string_view> words;
    std::string_view errorPart;
};

class CliOptionsRefuse : public ::testing::TestWithParam<BadCommandLine> {};

TEST_P(CliOptionsRefuse, SayingWhatIsWrong) {
    const Parsed parsed = Parse(GetParam().words);
    EXPECT_FALSE(parsed.ok);
    EXPECT_NE(parsed.error.find(GetParam().errorPart), std::string::npos) << parsed.error;
}

INSTANTIATE_TEST_SUITE_P(
    BadCommandLines, CliOptionsRefuse,
    ::testing::Values(BadCommandLine{{"--verbose"}, "unknown option '--verbose'"},
                      BadCommandLine{{"-h"}, "unknown option '-h'"},
                      BadCommandLine{{"update"}, "unexpected argument 'update'"},
                      BadCommandLine{{"--in"}, "--in needs a value"},
                      BadCommandLine{{"--out="}, "--out needs a port"},
                      BadCommandLine{{"--in", "0", "--in", "1"}, "--in is given more than once"},
                      BadCommandLine{{"--list=yes"}, "--list takes no value"},
                      BadCommandLine{{"--fault", "not-in-update-mode"}, "add --emulate"},
                      BadCommandLine{{"--emulate", "--fault", "no-such-script"},
                                     "neither the name of a fault script"},
                      BadCommandLine{{"--emulate", "--fault", "write#0=drop"}, "counted from 1"}));

TEST(CliHelp, NamesEveryOptionFaultScriptAndExitStatus) {
    const std::string help = CliHelpText();
    for (const char* option :
         {"--list", "--in PORT", "--out PORT", "--emulate", "--fault", "--help"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
    EXPECT_NE(help.find("not-in-update-mode"), std::string::npos);
    EXPECT_NE(help.find("finish-status-8"), std::string::npos);
    for (const ExitStatusInfo& info : ExitStatusTable()) {
        const std::string number = " " + std::to_string(static_cast<int>(info.status)) + "  ";
        EXPECT_NE(help.find(number), std::string::npos) << number;
    }
    EXPECT_NE(help.find("\"Please use the firmware update mode.\""), std::string::npos);
}

}  // namespace
}  // namespace kt73b::cli
