// The exit statuses a script acts on: each says what to do next, --help lists each, and two
// failures share a status only when the user is shown the same text for both.
#include "app/cli/exit_status.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace kt73b::cli {
namespace {

TEST(ExitStatus, EveryEndOfARunHasAStatusOfItsTextWithHelpAndANextStep) {
    const std::string_view help = ExitStatusHelp();
    std::map<ExitStatus, std::string_view> textOf;
    for (const FailureRow& row : FailureTable()) {
        if (!row.endsRun) {
            continue;
        }
        SCOPED_TRACE(FailureText(row));
        const auto [known, added] = textOf.emplace(row.exitStatus, FailureText(row));
        EXPECT_EQ(known->second, FailureText(row));
        EXPECT_NE(row.exitStatus, ExitStatus::kCompleted);
        EXPECT_FALSE(InfoFor(row.exitStatus).nextStep.empty());
        const std::string number = " " + std::to_string(static_cast<int>(row.exitStatus)) + "  ";
        EXPECT_NE(help.find(number), std::string::npos);
    }
    for (const ExitStatus status : {ExitStatus::kNoSuchPort, ExitStatus::kInstanceLimit,
                                    ExitStatus::kBadFirmwareFolder, ExitStatus::kInterrupted}) {
        EXPECT_FALSE(InfoFor(status).nextStep.empty());
        const std::string number = " " + std::to_string(static_cast<int>(status)) + "  ";
        EXPECT_NE(help.find(number), std::string::npos) << number;
    }
}

}  // namespace
}  // namespace kt73b::cli
