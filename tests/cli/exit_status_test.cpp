// Each failure the dialog reports in a message box ends the program with its own status.
#include "app/cli/exit_status.h"

#include <gtest/gtest.h>

#include <set>

#include "resources/ui/ui_resources.h"

namespace kt73b::cli {
namespace {

TEST(ExitStatus, EachMessageBoxOfAnUpdateHasAStatusOfItsOwn) {
    const std::pair<int, ExitStatus> expected[] = {
        {IDS_CANT_OPEN_MIDI_OUT, ExitStatus::kCantOpenMidiOut},
        {IDS_CANT_OPEN_MIDI_IN, ExitStatus::kCantOpenMidiIn},
        {IDS_TIMEOUT_IDENTITY, ExitStatus::kIdentityTimeOut},
        {IDS_ILLEGAL_DEVICE, ExitStatus::kIllegalDevice},
        {IDS_USE_UPDATE_MODE, ExitStatus::kNotInUpdateMode},
        {IDS_TIMEOUT_ERASE, ExitStatus::kEraseTimeOut},
        {IDS_TIMEOUT_WRITE, ExitStatus::kWriteTimeOut},
        {IDS_TRANSFER_ERROR, ExitStatus::kTransferError},
    };
    for (const auto& [stringId, status] : expected)
        EXPECT_EQ(StatusForMessage(res::LoadString(stringId)), status) << stringId;
    // Only the exact texts count.
    EXPECT_EQ(StatusForMessage(res::LoadString(IDS_UPDATE_COMPLETED)), ExitStatus::kOtherFailure);
    EXPECT_EQ(StatusForMessage("time out error(1)"), ExitStatus::kOtherFailure);
}

TEST(ExitStatus, StatusesAreDistinctAndEachFailureSaysWhatToDoNext) {
    std::set<int> seen;
    for (const ExitStatusInfo& info : ExitStatusTable()) {
        EXPECT_TRUE(seen.insert(static_cast<int>(info.status)).second)
            << static_cast<int>(info.status);
        EXPECT_FALSE(info.meaning.empty());
        if (info.status != ExitStatus::kCompleted) {
            EXPECT_FALSE(info.nextStep.empty()) << static_cast<int>(info.status);
        }
    }
}

}  // namespace
}  // namespace kt73b::cli
