// The exit statuses a script acts on: each says what to do next, --help lists each, and two
// failures share a status only when the user is shown the same text for both.
#include "app/cli/exit_status.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace kt73b::cli {
namespace {

TEST(ExitStatus, EveryEndOfARunHasAStatusOfItsTextWithHelpAndANextStep) {
    std::vector<ExitStatus> statuses = {ExitStatus::kNoSuchPort, ExitStatus::kInstanceLimit,
                                        ExitStatus::kBadFirmwareFolder, ExitStatus::kInterrupted};
    std::map<ExitStatus, std::string_view> textOf;
    for (const FailureRow& row : FailureTable()) {
        if (row.endsRun) {
            const auto [known, added] = textOf.emplace(row.exitStatus, FailureText(row));
            EXPECT_EQ(known->second, FailureText(row));
            EXPECT_NE(row.exitStatus, ExitStatus::kCompleted) << FailureText(row);
            statuses.push_back(row.exitStatus);
        }
    }
    for (const ExitStatus status : statuses) {
        EXPECT_FALSE(InfoFor(status).nextStep.empty());
        const std::string number = " " + std::to_string(static_cast<int>(status)) + "  ";
        EXPECT_NE(ExitStatusHelp().find(number), std::string::npos) << number;
    }
}

}  // namespace
}  // namespace kt73b::cli
