#include "emulator/link_model.h"

#include <gtest/gtest.h>

namespace kt73b::emu {
namespace {

using std::chrono::microseconds;

TEST(LinkModel_Defaults, AFullWriteFrameTakesAboutSixteenMilliseconds) {
    const LinkDirection link;
    EXPECT_EQ(link.TransferTime(2359), microseconds(16382));  // rounded up
    EXPECT_EQ(link.TransferTime(7), microseconds(49));
}

TEST(LinkModel_Transfer, LatencyIsAddedToEveryMessage) {
    LinkDirection link({1000000, microseconds(500)});
    EXPECT_EQ(link.Transfer(microseconds(100), 10), microseconds(100 + 10 + 500));
}

TEST(LinkModel_Transfer, MessagesQueueBehindEachOther) {
    LinkDirection link({1000, microseconds(0)});  // 1 ms per byte
    EXPECT_EQ(link.Transfer(microseconds(0), 10), microseconds(10000));
    // handed over while the first is still on the wire
    EXPECT_EQ(link.Transfer(microseconds(2000), 5), microseconds(15000));
    // handed over once the link is free again
    EXPECT_EQ(link.Transfer(microseconds(20000), 1), microseconds(21000));
}

TEST(LinkModel_Transfer, ArrivalIfSentDoesNotTakeTheLink) {
    LinkDirection link({1000, microseconds(100)});
    EXPECT_EQ(link.ArrivalIfSent(microseconds(0), 3), microseconds(3100));
    EXPECT_EQ(link.ArrivalIfSent(microseconds(0), 3), microseconds(3100));
    link.Transfer(microseconds(0), 3);
    EXPECT_EQ(link.ArrivalIfSent(microseconds(0), 3), microseconds(6100));
}

TEST(LinkModel_Transfer, RateZeroMeansNoTransferTime) {
    LinkDirection link({0, microseconds(250)});
    EXPECT_EQ(link.Transfer(microseconds(10), 100000), microseconds(260));
    EXPECT_EQ(link.Transfer(microseconds(10), 100000), microseconds(260));
}

}  // namespace
}  // namespace kt73b::emu
