#include "platform/winmm/device_catalog.h"

#include <gtest/gtest.h>

#include "tests/support/listed_ports.h"

namespace kt73b::winmm {
namespace {

using testing::ListedPorts;

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
