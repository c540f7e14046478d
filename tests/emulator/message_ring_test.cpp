#include "emulator/jack/message_ring.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

namespace kt73b::emu {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes PopOne(MessageRing& ring) {
    Bytes message(ring.PeekLength().value_or(0));
    EXPECT_TRUE(ring.Pop(message));
    return message;
}

TEST(MessageRing_OneThread, WholeMessagesInOrder) {
    MessageRing ring(64);
    EXPECT_FALSE(ring.PeekLength());
    ASSERT_TRUE(ring.Push(Bytes{1, 2, 3}));
    ASSERT_TRUE(ring.Push(Bytes{}));
    ASSERT_TRUE(ring.Push(Bytes{4}));
    EXPECT_EQ(PopOne(ring), (Bytes{1, 2, 3}));
    EXPECT_EQ(PopOne(ring), Bytes{});
    EXPECT_EQ(PopOne(ring), Bytes{4});
    EXPECT_FALSE(ring.PeekLength());
}

TEST(MessageRing_OneThread, FullRingRefusesAndKeepsWhatItHas) {
    MessageRing ring(32);
    ASSERT_TRUE(ring.Push(Bytes(20, 7)));  // 24 of 32 bytes
    EXPECT_FALSE(ring.Push(Bytes(5, 8)));  // would need 9
    ASSERT_TRUE(ring.Push(Bytes(4, 9)));   // exactly fills it
    EXPECT_EQ(PopOne(ring), Bytes(20, 7));
    EXPECT_EQ(PopOne(ring), Bytes(4, 9));
}

TEST(MessageRing_OneThread, MessagesWrapAroundTheEnd) {
    MessageRing ring(32);
    for (std::uint8_t round = 0; round < 50; ++round) {
        const Bytes message(static_cast<std::size_t>(round % 11) + 1, round);
        ASSERT_TRUE(ring.Push(message));
        EXPECT_EQ(PopOne(ring), message);
    }
}

TEST(MessageRing_OneThread, TooSmallDestinationOrSkip) {
    MessageRing ring(64);
    ring.Push(Bytes{1, 2, 3});
    ring.Push(Bytes{4});
    Bytes small(2);
    EXPECT_FALSE(ring.Pop(small));
    ring.Skip();
    EXPECT_EQ(PopOne(ring), Bytes{4});
}

TEST(MessageRing_TwoThreads, EveryMessageArrivesIntactAndInOrder) {
    MessageRing ring(256);
    constexpr int kMessages = 20000;
    std::thread producer([&ring] {
        for (int i = 0; i < kMessages; ++i) {
            const Bytes message(static_cast<std::size_t>(i % 37) + 1, static_cast<std::uint8_t>(i));
            while (!ring.Push(message)) {
                std::this_thread::yield();
            }
        }
    });
    int received = 0;
    int corrupt = 0;
    while (received < kMessages) {
        if (!ring.PeekLength()) {
            std::this_thread::yield();
            continue;
        }
        const Bytes message = PopOne(ring);
        const Bytes expected(static_cast<std::size_t>(received % 37) + 1,
                             static_cast<std::uint8_t>(received));
        corrupt += message == expected ? 0 : 1;
        ++received;
    }
    producer.join();
    EXPECT_EQ(corrupt, 0);
}

}  // namespace
}  // namespace kt73b::emu
