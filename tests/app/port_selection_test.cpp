#include "app/port_selection.h"

#include <gtest/gtest.h>

namespace kt73b {
namespace {

TEST(PortSelection, JapaneseNameIsItsCodePage932Bytes) {
    const std::string_view name = kDevicePortNames[0];
    ASSERT_EQ(name.size(), 23u);
    const unsigned char expected[] = {0x55, 0x53, 0x42, 0x20, 0x83, 0x49, 0x81, 0x5B,
                                      0x83, 0x66, 0x83, 0x42, 0x83, 0x49, 0x20, 0x83,
                                      0x66, 0x83, 0x6F, 0x83, 0x43, 0x83, 0x58};
    for (std::size_t i = 0; i < name.size(); ++i) {
        EXPECT_EQ(static_cast<unsigned char>(name[i]), expected[i]) << i;
    }
}

TEST(PortSelection, FirstCopyMatchesTheNamesAlone) {
    const auto candidates = CandidatePortNames(1);
    EXPECT_TRUE(MatchesCandidate("USB Audio Device", candidates));
    EXPECT_TRUE(MatchesCandidate("VELK KT Series", candidates));
    EXPECT_FALSE(MatchesCandidate("VELK KT Series (2)", candidates));
    EXPECT_FALSE(MatchesCandidate("velk kt series", candidates));
    EXPECT_FALSE(MatchesCandidate("VELK KT Series ", candidates));
}

TEST(PortSelection, LaterCopiesMatchTheirNumberOnly) {
    const auto candidates = CandidatePortNames(3);
    EXPECT_EQ(candidates[2], "VELK KT Series (3)");
    EXPECT_TRUE(MatchesCandidate("USB Audio Device (3)", candidates));
    EXPECT_TRUE(MatchesCandidate(std::string(kDevicePortNames[0]) + " (3)", candidates));
    EXPECT_FALSE(MatchesCandidate("VELK KT Series", candidates));
    EXPECT_FALSE(MatchesCandidate("VELK KT Series (13)", candidates));
    EXPECT_FALSE(MatchesCandidate("velk kt series (3)", candidates));
}

}  // namespace
}  // namespace kt73b
