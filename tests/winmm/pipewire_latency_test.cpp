// The short cycle is asked of PipeWire's libjack only, and never over the user's own latency.
#include "platform/jack/pipewire_latency.h"

#include <gtest/gtest.h>

namespace kt73b::jack {
namespace {

TEST(PipeWireLatency, AskedOfPipeWireAloneAndNeverOverTheUsersOwn) {
    const char* pipewire = "3.0.0.0 (using PipeWire 0.3.65)";
    EXPECT_EQ(PipeWireLatencyRequest(pipewire, nullptr), "128/48000");
    EXPECT_EQ(PipeWireLatencyRequest(pipewire, "1024/48000"), std::nullopt);
    EXPECT_EQ(PipeWireLatencyRequest("1.9.21", nullptr), std::nullopt);
    EXPECT_EQ(PipeWireLatencyRequest(nullptr, nullptr), std::nullopt);
}

}  // namespace
}  // namespace kt73b::jack
