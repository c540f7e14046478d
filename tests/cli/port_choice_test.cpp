// Choosing a port by position, by exact name or by default, and the messages when none fits; and
// which devices --all finds: each instance's ports by the dialog's names, the last match of a list
// winning, and a device with one side only still listed, so that it is reported.
#include "app/cli/port_choice.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "app/cli/device_discovery.h"

namespace kt73b::cli {
namespace {

const std::vector<std::string> kPorts = {"USB Audio Device", "12", "VELK KT Series",
                                         "VELK KT Series (2)"};

struct Choice {
    std::optional<std::string> wanted;
    int preselected;
    int position;
};

// Digits are a position (a device named "12" is reached by its position only), anything else an
// exact name; without a wish the pre-selection is taken.
TEST(PortChoice, DigitsAreAPositionAnythingElseAnExactName) {
    const Choice choices[] = {
        {"0", -1, 0},
        {"003", -1, 3},
        {"1", -1, 1},
        {"VELK KT Series", -1, 2},
        {"VELK KT Series (2)", 0, 3},
        {std::nullopt, 2, 2},
        {"velk kt series", 2, -1},
        {"VELK KT Series ", 2, -1},
        {"+1", 2, -1},
        {" 1", 2, -1},
        {"99999999999999999999", 0, -1},
    };
    for (const Choice& choice : choices) {
        SCOPED_TRACE(choice.wanted.value_or("(none)"));
        const PortChoice chosen =
            ChoosePort(kPorts, choice.wanted, choice.preselected, PortDirection::kInput);
        EXPECT_EQ(chosen.position, choice.position);
        EXPECT_EQ(chosen.error.empty(), choice.position >= 0) << chosen.error;
    }
}

// The list of ports and the option to choose with are the session's test's.
TEST(PortChoice, AFailureSaysWhatWasNotFound) {
    EXPECT_NE(ChoosePort(kPorts, "Other", 0, PortDirection::kOutput)
                  .error.find("no MIDI output is named \"Other\". The MIDI outputs are:\n"),
              std::string::npos);
    EXPECT_NE(ChoosePort(kPorts, "4", 0, PortDirection::kInput)
                  .error.find("there is no MIDI input at position"),
              std::string::npos);
    EXPECT_EQ(ChoosePort({}, "0", 0, PortDirection::kInput).error,
              "there is no MIDI input at all.");
}

TEST(DeviceDiscovery, EachInstanceGetsItsLastMatchingPortOnEachSide) {
    const std::vector<std::string> ins = {"VELK KT Series", "VELK KT Series (2)",
                                          "USB Audio Device", "VELK KT Series (20)",
                                          "VELK KT Series (21)"};
    const std::vector<std::string> outs = {"USB Audio Device", "VELK KT Series (3)",
                                           "VELK KT Series (20)", "VELK KT Series (20) "};
    const std::vector<FoundDevice> found = FindDevices(ins, outs);
    ASSERT_EQ(found.size(), 4u);
    const auto device = [&](std::size_t i) {
        return std::tuple(found[i].instance, found[i].in, found[i].out);
    };
    // "USB Audio Device" comes after "VELK KT Series" in the list; names match byte for byte.
    EXPECT_EQ(device(0), std::tuple(1, "USB Audio Device", "USB Audio Device"));
    EXPECT_EQ(device(1), std::tuple(2, "VELK KT Series (2)", ""));
    EXPECT_EQ(device(2), std::tuple(3, "", "VELK KT Series (3)"));
    EXPECT_EQ(device(3), std::tuple(20, "VELK KT Series (20)", "VELK KT Series (20)"));
}

}  // namespace
}  // namespace kt73b::cli
