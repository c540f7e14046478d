#include <gtest/gtest.h>

#include <tuple>

#include "emulator/emulator.h"
#include "emulator/fault_script_parser.h"
#include "emulator/link_model.h"
#include "virtual_host.h"

namespace kt73b::emu {
namespace {

using namespace std::chrono_literals;
using std::chrono::microseconds;
using std::chrono::milliseconds;
using testing::VirtualHost;

EmulatorSettings SlowLink() {
    EmulatorSettings settings;
    settings.link = {1000, microseconds(300)};  // 1 ms per byte, so each step is visible
    settings.device.commandTime = milliseconds(2);
    return settings;
}

TEST(EmulatorTiming, AnswerIsDueAfterLinkDeviceAndLinkAgainAndTheLogHoldsEachStep) {
    VirtualHost host(SlowLink());
    host.Send(testing::UpdateModeRequest());
    // 6 bytes in, 2 ms of work, 7 bytes back, and 0.3 ms latency each way
    const Micros due = *host.Device().NextDue();
    EXPECT_EQ(due, microseconds(6000 + 300 + 2000 + 7000 + 300));
    host.Clock().AdvanceTo(due - microseconds(1));
    EXPECT_TRUE(host.Device().TakeDue().empty());
    host.Clock().AdvanceTo(due);
    const auto answers = host.Device().TakeDue();
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].bytes, testing::Answer(0));
    EXPECT_FALSE(host.Device().NextDue());

    const auto& entries = host.Device().Log().Entries();
    ASSERT_EQ(entries.size(), 2u);
    const auto step = [](const LogEntry& e) { return std::tuple(e.direction, e.sent, e.arrives); };
    EXPECT_EQ(step(entries[0]), std::tuple(Direction::kHostToDevice, 0us, 6300us));
    EXPECT_EQ(entries[0].bytes, testing::UpdateModeRequest());
    EXPECT_EQ(step(entries[1]), std::tuple(Direction::kDeviceToHost, 8300us, 15600us));
    EXPECT_NE(FormatLogEntry(entries[1]).find("F0 52 00 57 00 00 F7"), std::string::npos);
}

TEST(EmulatorTiming, TheDeviceWorksThroughRequestsOneAtATime) {
    EmulatorSettings settings = InstantSettings();
    settings.device.eraseTimePerBlock = milliseconds(100);
    settings.device.commandTime = milliseconds(1);
    VirtualHost host(settings);
    host.Send(testing::EraseRequest(0, kEraseBlockBytes));
    host.Send(testing::FinishRequest());
    const auto answers = host.Drain();
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0].due, milliseconds(100));
    EXPECT_EQ(answers[1].due, milliseconds(101));
}

TEST(EmulatorTiming, AHeldBackAnswerDoesNotHoldUpLaterOnes) {
    EmulatorSettings settings = SlowLink();
    std::string error;
    ASSERT_TRUE(ParseFaultScript("update-mode#1=delay:1s", settings.faults, error));
    VirtualHost host(settings);
    host.Send(testing::UpdateModeRequest());
    host.Clock().AdvanceBy(milliseconds(100));
    host.Send(testing::FinishRequest());
    const auto answers = host.Drain();
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0].due, milliseconds(100) + microseconds(15600));  // the finish answer
    EXPECT_EQ(answers[1].due, microseconds(15600) + milliseconds(1000));
}

TEST(LinkModel, MessagesQueueBehindEachOtherAndArrivalIfSentDoesNotTakeTheLink) {
    LinkDirection link({1000, microseconds(100)});  // 1 ms per byte
    EXPECT_EQ(link.ArrivalIfSent(microseconds(0), 3), microseconds(3100));
    EXPECT_EQ(link.ArrivalIfSent(microseconds(0), 3), microseconds(3100));
    EXPECT_EQ(link.Transfer(microseconds(0), 10), microseconds(10100));
    // handed over while the first is still on the wire
    EXPECT_EQ(link.Transfer(microseconds(2000), 5), microseconds(15100));
    EXPECT_EQ(link.ArrivalIfSent(microseconds(0), 3), microseconds(18100));
    // handed over once the link is free again
    EXPECT_EQ(link.Transfer(microseconds(20000), 1), microseconds(21100));
}

}  // namespace
}  // namespace kt73b::emu
