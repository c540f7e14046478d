// The emulator as a host in virtual time sees it: when each answer is due over the link model
// and the device's work, and the faults it injects.
#include "emulator/emulator.h"

#include <gtest/gtest.h>

#include <span>
#include <tuple>
#include <vector>

#include "emulator/clock.h"
#include "emulator/fault_script_parser.h"
#include "emulator/link_model.h"
#include "engine/step_table.h"
#include "host_bytes.h"

namespace kt73b::emu {
namespace {

using namespace std::chrono_literals;
using std::chrono::microseconds;
using std::chrono::milliseconds;
using testing::Answer;
using testing::Bytes;
using Answers = std::vector<Bytes>;

// A host for the emulator in virtual time: sends the host's messages and moves the clock from
// one due answer to the next.
class VirtualHost {
  public:
    explicit VirtualHost(const EmulatorSettings& settings = {}) : emulator_(clock_, settings) {}

    Emulator& Device() { return emulator_; }
    VirtualClock& Clock() { return clock_; }

    void Send(std::span<const std::uint8_t> message) { emulator_.OnHostMessage(message); }

    // Moves the clock through every message under way and returns them as they arrive.
    std::vector<OutboundMessage> Drain() {
        std::vector<OutboundMessage> arrived;
        while (const auto due = emulator_.NextDue()) {
            clock_.AdvanceTo(*due);
            for (OutboundMessage& message : emulator_.TakeDue()) {
                arrived.push_back(std::move(message));
            }
        }
        return arrived;
    }

    // Sends one message and returns the bytes of everything the device sent back.
    std::vector<Bytes> Exchange(std::span<const std::uint8_t> message) {
        Send(message);
        std::vector<Bytes> bytes;
        for (OutboundMessage& answer : Drain()) {
            bytes.push_back(std::move(answer.bytes));
        }
        return bytes;
    }

  private:
    VirtualClock clock_;
    Emulator emulator_;
};

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
    EXPECT_EQ(answers[0].bytes, Answer(0));
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

// The effects a run's outcome would not miss (drop, duplicate, delay, late, split, truncate), and
// silence with its resume. Ignore, status and model end the failure table's runs (tests/dialog),
// which do not end without them. Instant link and device: every time seen is the fault's.
class EmulatorFaults : public ::testing::Test {
  protected:
    void Script(std::string_view text) {
        std::string error;
        ASSERT_TRUE(ParseFaultScript(text, host_.Device().Faults(), error)) << error;
    }
    FlashMemory& Flash() { return host_.Device().Device().Flash(); }

    VirtualHost host_{InstantSettings()};
};

TEST_F(EmulatorFaults, DropLosesTheAnswerButTheWorkIsDoneAndNoted) {
    Script("write#1=drop");
    Flash().Erase(0, kFlashBytes);
    const Bytes frame = testing::WriteFrame(0x1000, testing::Chunk());
    EXPECT_TRUE(host_.Exchange(frame).empty());
    EXPECT_FALSE(Flash().IsErased(0x1000, 2048));
    const auto& entries = host_.Device().Log().Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_NE(entries[0].note.find("answer is lost"), std::string::npos);
    // the host sends the chunk again after its time-out and the device accepts it
    EXPECT_EQ(host_.Exchange(frame), Answers{Answer(0)});
}

TEST_F(EmulatorFaults, DuplicateSendsTheAnswerTwiceForOneFinish) {
    Script("finish=duplicate");
    EXPECT_EQ(host_.Exchange(testing::FinishRequest()), (Answers{Answer(0), Answer(0)}));
    EXPECT_EQ(host_.Device().Device().FinishedCount(), 1);
}

TEST_F(EmulatorFaults, DelayAddsToTheAnswerLateOnlyNeverMakesItEarlier) {
    host_.Device().Device().Settings().eraseTimePerBlock = milliseconds(1000);
    Script("update-mode#1=delay:300ms; update-mode#2=late:1500ms; erase=late:10ms");
    host_.Send(testing::UpdateModeRequest());
    EXPECT_EQ(host_.Device().NextDue(), milliseconds(300));
    host_.Drain();
    const Micros second = host_.Clock().Now();
    host_.Send(testing::UpdateModeRequest());
    EXPECT_EQ(host_.Device().NextDue(), second + milliseconds(1500));
    host_.Drain();
    const Micros third = host_.Clock().Now();
    host_.Send(testing::EraseRequest(0, kEraseBlockBytes));
    EXPECT_EQ(host_.Device().NextDue(), third + milliseconds(1000));
}

TEST_F(EmulatorFaults, SilentStopsEverythingFromThatRequestOnUntilResumed) {
    Script("erase#2=silent");
    EXPECT_EQ(host_.Exchange(testing::EraseRequest(0, 0x1000)).size(), 1u);
    EXPECT_TRUE(host_.Exchange(testing::EraseRequest(0x1000, 0x1000)).empty());
    EXPECT_FALSE(Flash().IsErased(0x1000, 0x1000));
    EXPECT_TRUE(host_.Exchange(testing::FinishRequest()).empty());
    EXPECT_EQ(host_.Device().Device().FinishedCount(), 0);
    EXPECT_TRUE(host_.Device().Silent());
    host_.Device().Resume();
    EXPECT_EQ(host_.Exchange(testing::FinishRequest()).size(), 1u);
}

TEST_F(EmulatorFaults, SplitAndTruncateCutTheAnswer) {
    Script("finish#1=split:3; finish#2=truncate:4; identity=split:8,truncate:10");
    EXPECT_EQ(host_.Exchange(testing::FinishRequest()),
              (Answers{{0xF0, 0x52, 0x00}, {0x57, 0x00, 0x00}, {0xF7}}));
    EXPECT_EQ(host_.Exchange(testing::FinishRequest()), (Answers{{0xF0, 0x52, 0x00, 0x57}}));
    const auto identity = host_.Exchange(testing::IdentityRequest());
    ASSERT_EQ(identity.size(), 2u);
    EXPECT_EQ(identity[0].size(), 8u);
    EXPECT_EQ(identity[1], (Bytes{0x00, 0x00}));
}

}  // namespace
}  // namespace kt73b::emu
