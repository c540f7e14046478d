#include "platform/os/message_ring.h"

#include <gtest/gtest.h>

#include <thread>

namespace kt73b::os {
namespace {

using Bytes = std::vector<std::uint8_t>;

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

TEST(MessageRing, OneProducerAndOneConsumerLoseAndMixNothingAcrossTheWrap) {
    MessageRing ring(1024);
    constexpr int kMessages = 20000;
    const auto message = [](int n) { return Bytes(1 + n % 50, static_cast<std::uint8_t>(n)); };
    std::thread producer([&] {
        for (int n = 0; n < kMessages; ++n) {
            const Bytes bytes = message(n);
            while (!ring.Push(bytes.data(), bytes.size())) {
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
        Bytes popped(ring.PeekLength().value_or(0));
        ring.Pop(popped.data());
        wrong += popped == message(n++) ? 0 : 1;
    }
    producer.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_TRUE(ring.Empty());
}

}  // namespace
}  // namespace kt73b::os
