#include "platform/winmm/jack/message_ring.h"

#include <gtest/gtest.h>

#include <thread>

namespace kt73b::winmm {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes PopOne(MessageRing& ring) {
    const auto length = ring.PeekLength();
    if (!length) {
        return {};
    }
    Bytes message(*length);
    ring.Pop(message.data());
    return message;
}

TEST(MessageRing, MessagesComeOutWholeAndInOrderAcrossTheWrap) {
    MessageRing ring(64);
    for (int round = 0; round < 20; ++round) {
        const Bytes first(10, static_cast<std::uint8_t>(round));
        const Bytes second(17, static_cast<std::uint8_t>(round + 100));
        ASSERT_TRUE(ring.Push(first.data(), first.size()));
        ASSERT_TRUE(ring.Push(second.data(), second.size()));
        EXPECT_EQ(PopOne(ring), first);
        EXPECT_EQ(PopOne(ring), second);
    }
    EXPECT_TRUE(ring.Empty());
}

TEST(MessageRing, RefusesWhatDoesNotFitAndTakesItOnceThereIsRoom) {
    MessageRing ring(64);
    const Bytes big(40, 1);
    ASSERT_TRUE(ring.Push(big.data(), big.size()));
    EXPECT_FALSE(ring.Push(big.data(), big.size()));
    ring.Drop();
    EXPECT_TRUE(ring.Push(big.data(), big.size()));
    const Bytes too_big(ring.MaxMessageBytes() + 1, 2);
    ring.Drop();
    EXPECT_FALSE(ring.Push(too_big.data(), too_big.size()));
}

TEST(MessageRing, OneProducerAndOneConsumerLoseAndMixNothing) {
    MessageRing ring(1024);
    constexpr int kMessages = 20000;
    std::thread producer([&] {
        for (int n = 0; n < kMessages; ++n) {
            const Bytes message(1 + n % 50, static_cast<std::uint8_t>(n));
            while (!ring.Push(message.data(), message.size())) {
                std::this_thread::yield();
            }
        }
    });
    int wrong = 0;
    for (int n = 0; n < kMessages;) {
        if (ring.Empty()) {
            std::this_thread::yield();
            continue;
        }
        if (PopOne(ring) != Bytes(1 + n % 50, static_cast<std::uint8_t>(n))) {
            ++wrong;
        }
        ++n;
    }
    producer.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_TRUE(ring.Empty());
}

}  // namespace
}  // namespace kt73b::winmm
