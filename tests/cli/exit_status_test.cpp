// The exit statuses a script acts on: one per failure, each with what to do next, and only the
// exact text of a failure's message box chooses its status.
#include "app/cli/exit_status.h"

#include <gtest/gtest.h>

#include <set>

#include "resources/ui/ui_resources.h"

namespace kt73b::cli {
namespace {

TEST(ExitStatus, StatusesAreDistinctEachFailureSaysWhatToDoNextAndOnlyExactTextsCount) {
    std::set<int> seen;
    for (const ExitStatusInfo& info : ExitStatusTable()) {
        const int status = static_cast<int>(info.status);
        EXPECT_TRUE(seen.insert(status).second) << status;
        EXPECT_FALSE(info.meaning.empty()) << status;
        EXPECT_EQ(info.nextStep.empty(), info.status == ExitStatus::kCompleted) << status;
    }
    EXPECT_EQ(StatusForMessage(res::LoadString(IDS_TIMEOUT_WRITE)), ExitStatus::kWriteTimeOut);
    EXPECT_EQ(StatusForMessage(res::LoadString(IDS_UPDATE_COMPLETED)), ExitStatus::kOtherFailure);
    EXPECT_EQ(StatusForMessage("time out error(2)"), ExitStatus::kOtherFailure);
}

}  // namespace
}  // namespace kt73b::cli
