#include "emulator/link_model.h"

#include <gtest/gtest.h>

namespace kt73b::emu {
namespace {

using std::chrono::microseconds;

TEST(LinkModel, MessagesQueueBehindEachOther) {
    LinkDirection link({1000, microseconds(0)});  // 1 ms per byte
    EXPECT_EQ(link.Transfer(microseconds(0), 10), microseconds(10000));
    // handed over while the first is still on the wire
    EXPECT_EQ(link.Transfer(microseconds(2000), 5), microseconds(15000));
    // handed over once the link is free again
    EXPECT_EQ(link.Transfer(microseconds(20000), 1), microseconds(21000));
}

TEST(LinkModel, ArrivalIfSentDoesNotTakeTheLink) {
    LinkDirection link({1000, microseconds(100)});
    EXPECT_EQ(link.ArrivalIfSent(microseconds(0), 3), microseconds(3100));
    EXPECT_EQ(link.ArrivalIfSent(microseconds(0), 3), microseconds(3100));
    link.Transfer(microseconds(0), 3);
    EXPECT_EQ(link.ArrivalIfSent(microseconds(0), 3), microseconds(6100));
}

}  // namespace
}  // namespace kt73b::emu
