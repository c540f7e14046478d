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

TEST(MessageRing, WholeMessagesInOrderAFullRingRefusesAndKeepsWhatItHas) {
    MessageRing ring(32);
    EXPECT_FALSE(ring.PeekLength());
    ASSERT_TRUE(ring.Push(Bytes(20, 7)));  // 24 of 32 bytes
    EXPECT_FALSE(ring.Push(Bytes(5, 8)));  // would need 9
    ASSERT_TRUE(ring.Push(Bytes{}));
    Bytes small(2);
    EXPECT_FALSE(ring.Pop(small));  // too small a destination takes nothing
    EXPECT_EQ(PopOne(ring), Bytes(20, 7));
    ring.Skip();
    EXPECT_FALSE(ring.PeekLength());
}

TEST(MessageRing, OneProducerAndOneConsumerLoseAndMixNothingAcrossTheWrap) {
    MessageRing ring(256);
    constexpr int kMessages = 20000;
    const auto message = [](int i) {
        return Bytes(static_cast<std::size_t>(i % 37) + 1, static_cast<std::uint8_t>(i));
    };
    std::thread producer([&] {
        for (int i = 0; i < kMessages; ++i) {
            while (!ring.Push(message(i))) {
                std::this_thread::yield();
            }
        }
    });
    int corrupt = 0;
    for (int received = 0; received < kMessages;) {
        if (!ring.PeekLength()) {
            std::this_thread::yield();
            continue;
        }
        corrupt += PopOne(ring) == message(received++) ? 0 : 1;
    }
    producer.join();
    EXPECT_EQ(corrupt, 0);
}

}  // namespace
}  // namespace kt73b::emu
