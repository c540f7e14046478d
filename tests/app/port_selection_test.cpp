#include "app/port_selection.h"

#include <gtest/gtest.h>

namespace kt73b {
namespace {

// Copy 1 takes the device's names alone, copy N only the names numbered N, exactly.
TEST(PortSelection, EachCopyMatchesOnlyTheNamesOfItsNumber) {
    const auto first = CandidatePortNames(1);
    const auto third = CandidatePortNames(3);
    EXPECT_TRUE(MatchesCandidate("VELK KT Series", first));
    EXPECT_TRUE(MatchesCandidate(std::string(kDevicePortNames[0]), first));
    EXPECT_TRUE(MatchesCandidate("VELK KT Series (3)", third));
    EXPECT_TRUE(MatchesCandidate(std::string(kDevicePortNames[0]) + " (3)", third));
    for (const char* other : {"VELK KT Series (2)", "velk kt series", "VELK KT Series "}) {
        EXPECT_FALSE(MatchesCandidate(other, first)) << other;
    }
    for (const char* other : {"VELK KT Series", "VELK KT Series (13)", "velk kt series (3)"}) {
        EXPECT_FALSE(MatchesCandidate(other, third)) << other;
    }
}

}  // namespace
}  // namespace kt73b
