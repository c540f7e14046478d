// Which devices --all finds: each instance's ports by the dialog's names, the last match of a list
// winning, and a device with one side only still listed, so that it is reported.
#include "app/cli/device_discovery.h"

#include <gtest/gtest.h>

#include <tuple>

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
