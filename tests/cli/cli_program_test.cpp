// kt73b-update as a program: what it says and exits with for a wrong command line, for output
// nobody reads, and for Ctrl-C. The rest of its behaviour is its session's
// (update_session_test.cpp).
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace kt73b::cli {
namespace {

using kt73b::testing::ChildProcess;
using kt73b::testing::ReadFile;
using kt73b::testing::TempDir;
using namespace std::chrono_literals;

// Bounds for a program that answers at once; generous for a loaded 2-core machine.
constexpr auto kProgramLimit = 30s;
constexpr auto kOutputPoll = 20ms;

struct Result {
    std::optional<int> status;
    std::string output;  // standard output and standard error, as they came
};

class CliProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(dir_.Path().empty());
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.Path());  // where the program looks for its log
    }
    void TearDown() override { std::filesystem::current_path(previous_); }

    std::unique_ptr<ChildProcess> Start(std::vector<std::string> args) {
        args.insert(args.begin(), KT73B_UPDATE_PROGRAM);
        return ChildProcess::Start(args, OutputFile());
    }

    Result Run(std::vector<std::string> args) {
        auto program = Start(std::move(args));
        if (!program)
            return {std::nullopt, "the program could not be started"};
        const auto status = program->WaitForExit(kProgramLimit);
        return {status, ReadFile(OutputFile())};
    }

    // Polls the program's output until it holds `text`, bounded.
    bool WaitForOutput(const std::string& text) {
        const auto deadline = std::chrono::steady_clock::now() + kProgramLimit;
        while (std::chrono::steady_clock::now() < deadline) {
            if (ReadFile(OutputFile()).find(text) != std::string::npos)
                return true;
            std::this_thread::sleep_for(kOutputPoll);
        }
        return false;
    }

    std::string OutputFile() const { return dir_.Path() + "/output.txt"; }

    TempDir dir_;

  private:
    std::filesystem::path previous_;
};

bool Has(const std::string& output, const std::string& text) {
    return output.find(text) != std::string::npos;
}

// What main does with the parsed words: --help and --list end at once, a wrong command line
// with the usage status; none of them starts an update.
TEST_F(CliProgram, HelpAndListEndWithZeroAWrongCommandLineWithTheUsageStatus) {
    const struct {
        std::vector<std::string> args;
        int status;
        std::string text;
    } cases[] = {
        {{"--help"}, 0, "Exit status:\n"},
        {{"--list", "--emulate"}, 0, "  VELK KT Series  (default)\n"},
        {{"--in"}, 2, "Try 'kt73b-update --help'."},
        {{"--fault", "identity-timeout"}, 2, "Try 'kt73b-update --help'."},
    };
    for (const auto& c : cases) {
        const Result result = Run(c.args);
        EXPECT_EQ(result.status, c.status) << c.args[0] << "\n" << result.output;
        EXPECT_TRUE(Has(result.output, c.text)) << result.output;
        EXPECT_FALSE(Has(result.output, "Updating through")) << result.output;
    }
}

TEST_F(CliProgram, OutputNobodyReadsDoesNotEndTheProgram) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    close(fds[0]);  // no reader: every write to the pipe raises SIGPIPE
    auto program =
        ChildProcess::Start({KT73B_UPDATE_PROGRAM, "--emulate", "--fault", "not-in-update-mode"},
                            "/proc/self/fd/" + std::to_string(fds[1]));
    close(fds[1]);
    ASSERT_TRUE(program);
    // Not killed (-1): the update's own end and its status.
    EXPECT_EQ(program->WaitForExit(kProgramLimit), 8);
}

TEST_F(CliProgram, CtrlCEndsTheUpdateAtItsWaitWithAStatusOfItsOwn) {
    auto program = Start({"--emulate", "--fault", "update-mode-silent"});
    ASSERT_TRUE(program);
    ASSERT_TRUE(WaitForOutput("Erasing Flash memory.")) << ReadFile(OutputFile());
    program->Signal(SIGINT);
    EXPECT_EQ(program->WaitForExit(kProgramLimit), 130) << ReadFile(OutputFile());
    EXPECT_TRUE(Has(ReadFile(OutputFile()), "kt73b-update: interrupted.\n"));
}

}  // namespace
}  // namespace kt73b::cli
