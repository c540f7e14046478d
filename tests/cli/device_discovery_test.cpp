// Which devices --all finds: each instance's ports by the dialog's names, the last match of a list
// winning, and a device with one side only still listed, so that it is reported.
#include "app/cli/device_discovery.h"

#include <gtest/gtest.h>

namespace kt73b::cli {
namespace {

TEST(DeviceDiscovery, EachInstanceGetsItsLastMatchingPortOnEachSide) {
    const std::vector<std::string> ins = {"VELK KT Series", "VELK KT Series (2)",
                                          "USB Audio Device", "VELK KT Series (20)",
                                          "VELK KT Series (21)"};
    const std::vector<std::string> outs = {"USB Audio Device", "VELK KT Series (3)",
                                           "VELK KT Series (20)", "VELK KT Series (20) "};
    const std::vector<FoundDevice> found = FindDevices(ins, outs);
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found[0].instance, 1);
    EXPECT_EQ(found[0].in, "USB Audio Device");  // after "VELK KT Series" in the list
    EXPECT_EQ(found[0].out, "USB Audio Device");
    EXPECT_EQ(found[1].instance, 2);
    EXPECT_EQ(found[1].out, "");
    EXPECT_EQ(found[2].instance, 3);
    EXPECT_EQ(found[2].in, "");
    EXPECT_EQ(found[3].instance, 20);
    EXPECT_EQ(found[3].out, "VELK KT Series (20)");  // byte for byte: no trailing space
}

}  // namespace
}  // namespace kt73b::cli
