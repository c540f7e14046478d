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

// Instant link and device, so that every time seen comes from the fault alone.
class EmulatorFaults : public ::testing::Test {
  protected:
    void Script(std::string_view text) {
        std::string error;
        ASSERT_TRUE(ParseFaultScript(text, host_.Device().Faults(), error)) << error;
    }
    void EraseAll() { host_.Device().Device().Flash().Erase(0, kFlashBytes); }

    testing::VirtualHost host_{testing::Instant()};
};

TEST_F(EmulatorFaults, IgnoreLosesTheRequestBeforeTheDevice) {
    Script("erase#1=ignore");
    EXPECT_TRUE(host_.Exchange(testing::EraseRequest(0, 0x40000)).empty());
    EXPECT_FALSE(host_.Device().Device().Flash().IsErased(0, 0x40000));
    // the second erase request is not touched
    EXPECT_EQ(host_.Exchange(testing::EraseRequest(0, 0x40000)), std::vector<Bytes>{Answer(0)});
    EXPECT_TRUE(host_.Device().Device().Flash().IsErased(0, 0x40000));
}

TEST_F(EmulatorFaults, DropLosesTheAnswerButTheWorkIsDone) {
    Script("write#1=drop");
    EraseAll();
    const Bytes frame = testing::WriteFrame(0x1000, testing::Chunk());
    EXPECT_TRUE(host_.Exchange(frame).empty());
    EXPECT_FALSE(host_.Device().Device().Flash().IsErased(0x1000, 2048));
    // the host sends the chunk again after its time-out and the device accepts it
    EXPECT_EQ(host_.Exchange(frame), std::vector<Bytes>{Answer(0)});
}

TEST_F(EmulatorFaults, DuplicateSendsTheAnswerTwice) {
    Script("finish=duplicate");
    EXPECT_EQ(host_.Exchange(testing::FinishRequest()), (std::vector<Bytes>{Answer(0), Answer(0)}));
    EXPECT_EQ(host_.Device().Device().FinishedCount(), 1);
}

TEST_F(EmulatorFaults, DelayAndLateHoldTheAnswerBack) {
    Script("update-mode#1=delay:300ms; update-mode#2=late:1500ms");
    host_.Send(testing::UpdateModeRequest());
    EXPECT_EQ(host_.Device().NextDue(), milliseconds(300));
    host_.Drain();
    const Micros second = host_.Clock().Now();
    host_.Send(testing::UpdateModeRequest());
    EXPECT_EQ(host_.Device().NextDue(), second + milliseconds(1500));
}

TEST_F(EmulatorFaults, LateNeverMakesAnAnswerEarlier) {
    host_.Device().Device().Settings().eraseTimePerBlock = milliseconds(1000);
    Script("erase=late:10ms");
    host_.Send(testing::EraseRequest(0, kEraseBlockBytes));
    EXPECT_EQ(host_.Device().NextDue(), milliseconds(1000));
}

TEST_F(EmulatorFaults, StatusAnswersItAndLeavesTheRequestUndone) {
    Script("write#1=status:8; erase=status:0x0B; identity=status:3");
    EraseAll();
    const Bytes frame = testing::WriteFrame(0x2000, testing::Chunk());
    EXPECT_EQ(host_.Exchange(frame), std::vector<Bytes>{Answer(8)});
    EXPECT_TRUE(host_.Device().Device().Flash().IsErased(0x2000, 2048));
    EXPECT_EQ(host_.Exchange(frame), std::vector<Bytes>{Answer(0)});

    host_.Device().Device().Flash().Fill(0x00);
    EXPECT_EQ(host_.Exchange(testing::EraseRequest(0, 0x40000)), std::vector<Bytes>{Answer(11)});
    EXPECT_FALSE(host_.Device().Device().Flash().IsErased(0, 0x40000));
    // an identity request answered with a status frame instead of the Identity Reply
    EXPECT_EQ(host_.Exchange(testing::IdentityRequest()), std::vector<Bytes>{Answer(3)});
}

TEST_F(EmulatorFaults, ModelReportsAnotherModelByte) {
    Script("identity#1=model:0x59; finish=model:0x58");
    const auto identity = host_.Exchange(testing::IdentityRequest());
    ASSERT_EQ(identity.size(), 1u);
    EXPECT_EQ(identity[0].at(6), 0x59);
    EXPECT_EQ(host_.Exchange(testing::IdentityRequest())[0].at(6), 0x57);
    EXPECT_EQ(host_.Exchange(testing::FinishRequest()), std::vector<Bytes>{Answer(0, 0x58)});
}

TEST_F(EmulatorFaults, SilentStopsEverythingFromThatRequestOn) {
    Script("erase#2=silent");
    EXPECT_EQ(host_.Exchange(testing::EraseRequest(0, 0x1000)).size(), 1u);
    EXPECT_TRUE(host_.Exchange(testing::EraseRequest(0x1000, 0x1000)).empty());
    EXPECT_FALSE(host_.Device().Device().Flash().IsErased(0x1000, 0x1000));
    EXPECT_TRUE(host_.Exchange(testing::IdentityRequest()).empty());
    EXPECT_TRUE(host_.Exchange(testing::FinishRequest()).empty());
    EXPECT_EQ(host_.Device().Device().FinishedCount(), 0);
    EXPECT_TRUE(host_.Device().Silent());
    host_.Device().Resume();
    EXPECT_EQ(host_.Exchange(testing::FinishRequest()).size(), 1u);
}

TEST_F(EmulatorFaults, SplitAndTruncateCutTheAnswer) {
    Script("finish#1=split:3; finish#2=truncate:4; identity=split:8,truncate:10");
    EXPECT_EQ(host_.Exchange(testing::FinishRequest()),
              (std::vector<Bytes>{{0xF0, 0x52, 0x00}, {0x57, 0x00, 0x00}, {0xF7}}));
    EXPECT_EQ(host_.Exchange(testing::FinishRequest()),
              (std::vector<Bytes>{{0xF0, 0x52, 0x00, 0x57}}));
    const auto identity = host_.Exchange(testing::IdentityRequest());
    ASSERT_EQ(identity.size(), 2u);
    EXPECT_EQ(identity[0].size(), 8u);
    EXPECT_EQ(identity[1], (Bytes{0x00, 0x00}));
}

TEST_F(EmulatorFaults, OccurrencesCountEveryRequestOfTheKindResendsIncluded) {
    Script("write#2-3=status:8");
    EraseAll();
    const Bytes frame = testing::WriteFrame(0x3000, testing::Chunk());
    EXPECT_EQ(host_.Exchange(frame), std::vector<Bytes>{Answer(0)});
    EXPECT_EQ(host_.Exchange(frame), std::vector<Bytes>{Answer(8)});
    EXPECT_EQ(host_.Exchange(frame), std::vector<Bytes>{Answer(8)});
    EXPECT_EQ(host_.Exchange(frame), std::vector<Bytes>{Answer(0)});
    EXPECT_EQ(host_.Device().RequestCount(RequestKind::kWrite), 4u);
    EXPECT_EQ(host_.Device().RequestCount(RequestKind::kErase), 0u);
}

TEST_F(EmulatorFaults, FaultsAreNotedInTheLog) {
    Script("finish=drop");
    host_.Exchange(testing::FinishRequest());
    const auto& entries = host_.Device().Log().Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_NE(entries[0].note.find("answer is lost"), std::string::npos);
}

TEST(EmulatorRequests, TheDevicesOwnRequestsAndTheHostsAnswers) {
    testing::VirtualHost host(testing::Instant());
    host.Device().SendIdentityRequest();
    host.Device().SendCommand(0x07);
    std::vector<Bytes> sent;
    for (auto& message : host.Drain()) {
        sent.push_back(message.bytes);
    }
    EXPECT_EQ(sent, (std::vector<Bytes>{{0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7},
                                        {0xF0, 0x52, 0x00, 0x57, 0x07, 0xF7}}));
    // what a host sends back: its identity reply, then a refusal of command 07
    host.Send(Bytes{0xF0, 0x7E, 0x00, 0x06, 0x02, 0x52, 0x00, 0x00, 0x00, 0x00, 0x31, 0x30, 0x30,
                    0x30, 0xF7});
    host.Send(testing::HostReply(1));
    EXPECT_TRUE(host.Drain().empty());
    const auto& answers = host.Device().Device().HostAnswers();
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0].kind, HostMessageKind::kHostIdentityReply);
    EXPECT_EQ(answers[1].value, 1);
    EXPECT_TRUE(host.Device().ProtocolErrors().empty());
}

TEST(EmulatorProtocolErrors, MalformedInputIsListedNeverFatal) {
    testing::VirtualHost host(testing::Instant());
    host.Device().Device().Flash().Erase(0, kFlashBytes);
    Bytes badCrc = testing::WriteFrame(0, testing::Chunk());
    badCrc[40] ^= 0x02;
    Bytes cut = testing::WriteFrame(0, testing::Chunk());
    cut.resize(700);
    Bytes badSeptet = testing::EraseRequest(0, 0x1000);
    badSeptet[6] = 0x80;
    const std::vector<Bytes> inputs = {badCrc,
                                       cut,
                                       badSeptet,
                                       {},
                                       {0xF0, 0xF7},
                                       testing::EraseRequest(0x3B0000, 0x10000),
                                       testing::WriteFrame(0x3B7000, testing::Chunk(16)),
                                       testing::FinishRequest(0x10)};
    for (const Bytes& input : inputs) {
        host.Exchange(input);
    }
    EXPECT_EQ(host.Device().ProtocolErrors().size(), inputs.size());
    EXPECT_EQ(host.Device().Device().FinishedCount(), 0);
}

}  // namespace
}  // namespace kt73b::emu
