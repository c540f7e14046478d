// The names the layer gives devices (capped, numbered, a JACK client's after its one port) and
// the catalog that lists the providers' ports under them.
#include "platform/winmm/device_catalog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/winmm/device_names.h"
#include "platform/winmm/jack/jack_provider.h"
#include "tests/support/listed_ports.h"

namespace kt73b::winmm {
namespace {

using ::testing::ElementsAre;
using testing::ListedPorts;

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

class DeviceCatalog : public ::testing::Test {
  protected:
    ~DeviceCatalog() override { SetProvidersForTesting(DefaultProviders()); }
};

TEST_F(DeviceCatalog, ListsProvidersInTheirOrderAndNumbersNamesAcrossThem) {
    ListedPorts alsa{{"VELK KT Series", "20:0"}, {"Midi Through", "14:0"}};
    ListedPorts jack{{"VELK KT Series", "VELK KT Series:out"}};
    ListedPorts loopback{{"Emulated KT-73B", "1"}};
    SetProvidersForTesting({&alsa, &jack, &loopback});

    std::vector<std::string> names;
    const UINT count = midiInGetNumDevs();
    for (UINT i = 0; i < count; ++i) {
        MIDIINCAPSA caps{};
        EXPECT_EQ(midiInGetDevCapsA(i, &caps, sizeof(caps)), MMSYSERR_NOERROR);
        names.emplace_back(caps.szPname);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"VELK KT Series", "Midi Through",
                                               "VELK KT Series (2)", "Emulated KT-73B"}));
    MIDIINCAPSA caps{};
    EXPECT_EQ(midiInGetDevCapsA(0, &caps, sizeof(caps) - 1), MMSYSERR_INVALPARAM);
    EXPECT_EQ(midiInGetDevCapsA(0xFFFFFFFF, &caps, sizeof(caps)), MMSYSERR_BADDEVICEID);
}

TEST_F(DeviceCatalog, IndicesKeepTheirDeviceUntilTheNextCount) {
    ListedPorts provider{{"First", "a"}};
    SetProvidersForTesting({&provider});
    ASSERT_EQ(midiOutGetNumDevs(), 1u);

    provider.ports_ = {{"New", "n"}, {"First", "a"}};
    MIDIOUTCAPSA caps{};
    ASSERT_EQ(midiOutGetDevCapsA(0, &caps, sizeof(caps)), MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.szPname, "First");
    EXPECT_EQ(midiOutGetDevCapsA(1, &caps, sizeof(caps)), MMSYSERR_BADDEVICEID);

    ASSERT_EQ(midiOutGetNumDevs(), 2u);
    ASSERT_EQ(midiOutGetDevCapsA(0, &caps, sizeof(caps)), MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.szPname, "New");
}

}  // namespace
}  // namespace kt73b::winmm
