// Choosing a port by position, by exact name or by default, and the messages when none fits.
#include "app/cli/port_choice.h"

#include <gtest/gtest.h>

#include <vector>

namespace kt73b::cli {
namespace {

const std::vector<std::string> kPorts = {"USB Audio Device", "12", "VELK KT Series",
                                         "VELK KT Series (2)"};

TEST(PortChoice, DigitsAreAPosition) {
    EXPECT_EQ(ChoosePort(kPorts, "0", -1, PortDirection::kInput).position, 0);
    EXPECT_EQ(ChoosePort(kPorts, "3", -1, PortDirection::kInput).position, 3);
    EXPECT_EQ(ChoosePort(kPorts, "003", -1, PortDirection::kInput).position, 3);
    // A device named "12" is reached by its position only.
    EXPECT_EQ(ChoosePort(kPorts, "1", -1, PortDirection::kInput).position, 1);
}

TEST(PortChoice, AnythingElseIsAnExactName) {
    EXPECT_EQ(ChoosePort(kPorts, "VELK KT Series", -1, PortDirection::kOutput).position, 2);
    EXPECT_EQ(ChoosePort(kPorts, "VELK KT Series (2)", 0, PortDirection::kOutput).position, 3);
    for (const char* near : {"velk kt series", "VELK KT Series ", "VELK", "+1", "-1", " 1"})
        EXPECT_EQ(ChoosePort(kPorts, near, 2, PortDirection::kOutput).position, -1) << near;
}

TEST(PortChoice, WithoutASpecTheDefaultIsTaken) {
    EXPECT_EQ(ChoosePort(kPorts, std::nullopt, 2, PortDirection::kInput).position, 2);
    const PortChoice none = ChoosePort(kPorts, std::nullopt, -1, PortDirection::kInput);
    EXPECT_EQ(none.position, -1);
    EXPECT_NE(none.error.find("no MIDI input has a name the KT-73B's ports have"),
              std::string::npos)
        << none.error;
}

TEST(PortChoice, AFailureNamesThePortsAndTheOptionToChooseWith) {
    const PortChoice choice = ChoosePort(kPorts, "Other", 0, PortDirection::kOutput);
    EXPECT_EQ(choice.position, -1);
    EXPECT_EQ(choice.error,
              "no MIDI output is named \"Other\". The MIDI outputs are:\n"
              "  0  USB Audio Device\n"
              "  1  12\n"
              "  2  VELK KT Series\n"
              "  3  VELK KT Series (2)\n"
              "Choose one with --out, by its position or its exact name.");
}

TEST(PortChoice, PositionsPastTheEndEvenHugeOnesAreRefused) {
    for (const char* wanted : {"4", "99999999999999999999"}) {
        const PortChoice choice = ChoosePort(kPorts, wanted, 0, PortDirection::kInput);
        EXPECT_EQ(choice.position, -1) << wanted;
        EXPECT_NE(choice.error.find("there is no MIDI input at position"), std::string::npos);
    }
}

TEST(PortChoice, AnEmptyListSaysSo) {
    const PortChoice choice = ChoosePort({}, "0", 0, PortDirection::kInput);
    EXPECT_EQ(choice.position, -1);
    EXPECT_EQ(choice.error, "there is no MIDI input at all.");
}

TEST(PortList, MarksTheDefault) {
    EXPECT_EQ(ListPorts(std::vector<std::string>{"A", "B"}, 1), "  0  A\n  1  B  (default)\n");
    EXPECT_EQ(ListPorts(std::vector<std::string>{"A"}), "  0  A\n");
}

}  // namespace
}  // namespace kt73b::cli
