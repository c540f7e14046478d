// Choosing a port by position, by exact name or by default, and the messages when none fits.
#include "app/cli/port_choice.h"

#include <gtest/gtest.h>

#include <vector>

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

}  // namespace
}  // namespace kt73b::cli
