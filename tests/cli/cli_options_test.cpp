// The command line as words: what each option sets, and every way a command line can be wrong.
#include "app/cli/cli_options.h"

#include <gtest/gtest.h>

#include <vector>

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

TEST(CliOptions, EachOptionSetsItsFieldAndValuesComeNextOrAfterAnEqualsSign) {
    Parsed parsed = Parse({"--in", "--list", "--out=a=b", "--emulate", "--help"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.in, "--list");  // a value may look like an option
    EXPECT_FALSE(parsed.options.list);
    EXPECT_EQ(parsed.options.out, "a=b");
    EXPECT_TRUE(parsed.options.emulate);
    EXPECT_TRUE(parsed.options.help);

    parsed = Parse({"--list", "--emulate", "--fault", "not-in-update-mode"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_TRUE(parsed.options.list);
    EXPECT_FALSE(parsed.options.in.has_value());
    EXPECT_EQ(parsed.options.faultRules, "update-mode=status:11");  // a script name resolved

    parsed = Parse({"--fault=write#3=status:8", "--emulate"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.faultRules, "write#3=status:8");
}

TEST(CliOptions, EveryWrongCommandLineIsRefusedSayingWhatIsWrong) {
    const std::pair<std::vector<std::string_view>, std::string_view> cases[] = {
        {{"--verbose"}, "unknown option '--verbose'"},
        {{"update"}, "unexpected argument 'update'"},
        {{"--in"}, "--in needs a value"},
        {{"--out="}, "--out needs a port"},
        {{"--in", "0", "--in", "1"}, "--in is given more than once"},
        {{"--list=yes"}, "--list takes no value"},
        {{"--fault", "not-in-update-mode"}, "add --emulate"},
        {{"--emulate", "--fault", "no-such-script"}, "neither the name of a fault script"},
        {{"--emulate", "--fault", "write#0=drop"}, "counted from 1"},
        {{"--emulate", "21"}, "must be 1 to 20"},
        {{"--emulate", "2", "--fault", "3:not-in-update-mode"}, "names device 3 of 2"},
        {{"--all", "--in", "1"}, "--all finds each device's ports itself"},
        {{"--instance", "0"}, "--instance must be 1 to 20"},
    };
    for (const auto& [words, errorPart] : cases) {
        SCOPED_TRACE(errorPart);
        const Parsed parsed = Parse(words);
        EXPECT_FALSE(parsed.ok);
        EXPECT_NE(parsed.error.find(errorPart), std::string::npos) << parsed.error;
    }
}

}  // namespace
}  // namespace kt73b::cli
