#include "platform/winmm/device_catalog.h"

#include <gtest/gtest.h>

#include "tests/winmm/fake_provider.h"

namespace kt73b::winmm {
namespace {

std::vector<std::string> InputNames() {
    std::vector<std::string> names;
    const UINT count = midiInGetNumDevs();
    for (UINT i = 0; i < count; ++i) {
        MIDIINCAPSA caps{};
        EXPECT_EQ(midiInGetDevCapsA(i, &caps, sizeof(caps)), MMSYSERR_NOERROR);
        names.emplace_back(caps.szPname);
    }
    return names;
}

TEST(DeviceCatalog, ListsProvidersInTheirOrderAndNumbersNamesAcrossThem) {
    FakeProvider alsa;
    FakeProvider jack;
    FakeProvider loopback;
    alsa.inputs = {{"VELK KT Series", "20:0"}, {"Midi Through", "14:0"}};
    jack.inputs = {{"VELK KT Series", "VELK KT Series:out"}};
    loopback.inputs = {{"Emulated KT-73B", "1"}};
    ScopedProviders scoped({&alsa, &jack, &loopback});

    EXPECT_EQ(InputNames(), (std::vector<std::string>{"VELK KT Series", "Midi Through",
                                                      "VELK KT Series (2)", "Emulated KT-73B"}));
}

TEST(DeviceCatalog, IndicesKeepTheirDeviceUntilTheNextCount) {
    FakeProvider provider;
    provider.outputs = {{"First", "a"}};
    ScopedProviders scoped({&provider});
    ASSERT_EQ(midiOutGetNumDevs(), 1u);

    provider.outputs = {{"New", "n"}, {"First", "a"}};
    MIDIOUTCAPSA caps{};
    ASSERT_EQ(midiOutGetDevCapsA(0, &caps, sizeof(caps)), MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.szPname, "First");
    EXPECT_EQ(midiOutGetDevCapsA(1, &caps, sizeof(caps)), MMSYSERR_BADDEVICEID);

    ASSERT_EQ(midiOutGetNumDevs(), 2u);
    ASSERT_EQ(midiOutGetDevCapsA(0, &caps, sizeof(caps)), MMSYSERR_NOERROR);
    EXPECT_STREQ(caps.szPname, "New");
}

TEST(DeviceCatalog, CapabilitiesAreRefusedForATooSmallStructureOrAMissingDevice) {
    FakeProvider provider;
    provider.inputs = {{"One", "1"}};
    ScopedProviders scoped({&provider});
    ASSERT_EQ(midiInGetNumDevs(), 1u);
    MIDIINCAPSA caps{};
    EXPECT_EQ(midiInGetDevCapsA(0, &caps, sizeof(caps) - 1), MMSYSERR_INVALPARAM);
    EXPECT_EQ(midiInGetDevCapsA(1, &caps, sizeof(caps)), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(midiInGetDevCapsA(0xFFFFFFFF, &caps, sizeof(caps)), MMSYSERR_BADDEVICEID);
}

}  // namespace
}  // namespace kt73b::winmm
