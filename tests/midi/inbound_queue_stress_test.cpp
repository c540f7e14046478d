// The inbound queue under load: the driver's callback thread appends through MidiInProc while
// the timer's thread drains with Front and PopFront, as in an update. Meant for ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "midi/midi_in_port.h"
#include "tests/midi/recording_winmm.h"

namespace kt73b {
namespace {

constexpr std::uint32_t kMessages = 100000;

std::vector<std::uint8_t> NumberedMessage(std::uint32_t n) {
    // Lengths vary with n, so a mixed-up entry shows in its length too.
    std::vector<std::uint8_t> message{0xF0};
    for (int shift = 0; shift < 21; shift += 7) {
        message.push_back(static_cast<std::uint8_t>((n >> shift) & 0x7F));
    }
    message.resize(5 + n % 40, 0x55);
    message.push_back(0xF7);
    return message;
}

TEST(InboundQueueStress, AHundredThousandMessagesArriveOnceEachAndInOrder) {
    auto& winmm = testing::RecordingWinmm::Instance();
    winmm.Reset();
    winmm.SetRecording(false);
    MidiInPort port;
    port.SetDeviceIndex(1);
    ASSERT_EQ(port.Open(), 1);

    std::atomic<bool> producer_done{false};
    std::thread driver([&] {
        for (std::uint32_t n = 0; n < kMessages; ++n) {
            ASSERT_TRUE(winmm.ReturnInputBuffer(NumberedMessage(n)));
        }
        producer_done = true;
    });

    std::uint32_t expected = 0;
    std::uint32_t mismatches = 0;
    while (expected < kMessages) {
        // Read before looking, so an empty queue after the producer finished is really empty.
        const bool done = producer_done.load();
        std::size_t length = 0;
        const std::uint8_t* front = port.Front(&length);
        if (front == nullptr) {
            if (done) {
                break;
            }
            std::this_thread::yield();
            continue;
        }
        if (std::vector<std::uint8_t>(front, front + length) != NumberedMessage(expected)) {
            ++mismatches;
        }
        ++expected;
        port.PopFront();
    }
    driver.join();

    EXPECT_EQ(expected, kMessages);
    EXPECT_EQ(mismatches, 0u);
    std::size_t length = 99;
    EXPECT_EQ(port.Front(&length), nullptr);
    EXPECT_EQ(length, 0u);
    port.Close();
}

}  // namespace
}  // namespace kt73b
