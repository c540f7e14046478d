#include <gtest/gtest.h>

#include "emulator/emulator.h"
#include "emulator/fault_script_parser.h"
#include "engine/step_table.h"
#include "virtual_host.h"

namespace kt73b::emu {
namespace {

using std::chrono::milliseconds;
using testing::Answer;
using testing::Bytes;
using Answers = std::vector<Bytes>;

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

    testing::VirtualHost host_{InstantSettings()};
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
