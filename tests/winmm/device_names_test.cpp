#include "platform/winmm/device_names.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/winmm/jack/jack_provider.h"

namespace kt73b::winmm {
namespace {

using ::testing::ElementsAre;

TEST(DeviceNames, CutAtThirtyOneBytesNeverInsideAUtf8SequenceAndRepeatsNumberedWithinThem) {
    EXPECT_EQ(CapName(std::string(31, 'a')), std::string(31, 'a'));
    // 29 ASCII bytes, then "é" (2 bytes) and "€" (3 bytes): byte 31 falls inside the euro sign.
    const std::string name = std::string(29, 'a') + "\xC3\xA9" + "\xE2\x82\xAC";
    EXPECT_EQ(CapName(name), std::string(29, 'a') + "\xC3\xA9");

    EXPECT_THAT(NameDevices({"USB", "VELK KT Series", "USB", "USB"}),
                ElementsAre("USB", "VELK KT Series", "USB (2)", "USB (3)"));
    const std::string long_name(35, 'k');
    EXPECT_THAT(NameDevices({long_name, long_name}),
                ElementsAre(std::string(31, 'k'), std::string(27, 'k') + " (2)"));
    // names that differ only past the cap count as one
    const std::string stem(31, 'x');
    EXPECT_THAT(NameDevices({stem + "1", stem + "2"}),
                ElementsAre(stem, std::string(27, 'x') + " (2)"));
}

TEST(NameJackPorts, AClientWithOnePortIsNamedAfterTheClient) {
    const auto ports = NameJackPorts({"VELK KT Series:MIDI out", "synth:midi_1", "synth:midi_2"});
    ASSERT_EQ(ports.size(), 3u);
    EXPECT_EQ(ports[0].name, "VELK KT Series");
    EXPECT_EQ(ports[0].key, "VELK KT Series:MIDI out");
    EXPECT_EQ(ports[1].name, "synth:midi_1");
    EXPECT_EQ(ports[2].name, "synth:midi_2");
}

}  // namespace
}  // namespace kt73b::winmm
