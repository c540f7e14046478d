// kt73b-update --all as a program: several emulated devices, each updated by a copy of its own
// (one failing, one whose instance another program holds, the others ended by Ctrl-C), the JSON
// stream read back; and three kt73b-emulator processes over a JACK server of the test's own,
// updated to the end.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/cli/child_process.h"
#include "app/failure_table.h"
#include "platform/os/instance_lock.h"
#include "tests/support/jack_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait_until.h"

namespace kt73b::cli {
namespace {

using kt73b::testing::Has;
using kt73b::testing::ReadFile;
using namespace std::chrono_literals;

// Several whole updates side by side on a loaded 2-core machine.
constexpr auto kUpdateLimit = 300s;

class AllDevices : public ::testing::Test {
  protected:
    // kt73b-update with `args`, standard output to out.txt and standard error to err.txt.
    std::unique_ptr<ChildProcess> Start(const std::string& args) {
        return ChildProcess::Start(
            {"/bin/sh", "-c", "exec '" KT73B_UPDATE_PROGRAM "' " + args + " >out.txt 2>err.txt"},
            dir_.Path() + "/shell.txt");
    }
    std::string Out() const { return ReadFile(dir_.Path() + "/out.txt"); }
    std::string Err() const { return ReadFile(dir_.Path() + "/err.txt"); }

    kt73b::testing::ScratchFolder dir_;  // where the copies write their log and claim instances
};

// The summary's line for `device`.
std::string SummaryLine(const std::string& summary, int device) {
    std::istringstream lines(summary);
    const std::string start = "     " + std::to_string(device) + "  ";
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with(start)) {
            return line;
        }
    }
    return "";
}

// Each device's JSON objects in the order they came; a line still being written is left out.
std::map<int, std::vector<nlohmann::json>> EventsByDevice(const std::string& out) {
    std::map<int, std::vector<nlohmann::json>> events;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        const auto object = nlohmann::json::parse(line, nullptr, false);
        if (object.is_object()) {
            events[object.at("device").get<int>()].push_back(object);
        }
    }
    return events;
}

bool HasEvent(const std::vector<nlohmann::json>& list, const std::string& event) {
    return std::any_of(list.begin(), list.end(),
                       [&](const auto& e) { return e.at("event") == event; });
}

// Per device: exactly one final object, the last, with the exit status its run ended with;
// steps never go back.
void ExpectOneFinalObjectLast(const std::vector<nlohmann::json>& list, bool completed) {
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list.back().at("event"), "final");
    EXPECT_EQ(std::count_if(list.begin(), list.end(),
                            [](const auto& e) { return e.at("event") == "final"; }),
              1);
    EXPECT_EQ(list.back().at("exit_status").get<int>() == 0, completed);
    int step = 0;
    for (const auto& e : list) {
        if (e.at("event") == "step") {
            EXPECT_GE(e.at("step").get<int>(), step);
            step = e.at("step").get<int>();
        }
    }
}

// The copies' ids, from the process table: any that runs a copy of the program for --all.
std::vector<int> CopiesRunning() {
    std::vector<int> pids;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::string cmdline = ReadFile(entry.path().string() + "/cmdline");
        std::replace(cmdline.begin(), cmdline.end(), '\0', ' ');
        if (cmdline.starts_with(KT73B_UPDATE_PROGRAM " --instance")) {
            pids.push_back(std::stoi(entry.path().filename().string()));
        }
    }
    return pids;
}

// Devices 1 and 4 are interrupted in the middle of their updates at the device's own pace, once
// device 3 has failed; device 2 is never started.
TEST_F(AllDevices, OneFailingOneHeldElsewhereAndCtrlCEndingTheRestEachInTheSummaryAndAsJson) {
    std::ofstream("TEST_LOG.txt").flush();
    os::InstanceLock held;
    ASSERT_TRUE(held.TryClaim("Velk KT-73B System v3.00 (2)"));
    const auto program = Start("--all --emulate 4 --fault 3:not-in-update-mode --json");
    ASSERT_TRUE(program);
    ASSERT_TRUE(kt73b::testing::WaitUntil(
        [&] {
            auto events = EventsByDevice(Out());
            return HasEvent(events[3], "failed") && HasEvent(events[1], "progress") &&
                   HasEvent(events[4], "progress");
        },
        60s))
        << Out();
    EXPECT_EQ(CopiesRunning().size(), 2u);
    program->Interrupt();
    EXPECT_EQ(program->WaitForExit(60s), static_cast<int>(ExitStatus::kInterrupted)) << Err();
    EXPECT_TRUE(CopiesRunning().empty());

    const std::string boxText(FailureText(RowFor(FailureKind::kNotInUpdateMode)));
    EXPECT_TRUE(Has(SummaryLine(Err(), 3), boxText)) << Err();
    EXPECT_TRUE(Has(SummaryLine(Err(), 2), "held by another program")) << Err();
    for (const int device : {1, 4}) {
        EXPECT_TRUE(Has(SummaryLine(Err(), device), "interrupted in step ")) << Err();
    }
    EXPECT_TRUE(Has(ReadFile(dir_.Path() + "/TEST_LOG.txt"), boxText));

    const std::string out = Out();
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_TRUE(nlohmann::json::parse(line, nullptr, false).is_object()) << line;
    }
    auto events = EventsByDevice(out);
    ASSERT_EQ(events.size(), 4u) << out;
    for (auto& [device, list] : events) {
        SCOPED_TRACE(device);
        ExpectOneFinalObjectLast(list, false);
    }
    EXPECT_EQ(events[2].size(), 1u);  // not updated: its final object alone
    ASSERT_GE(events[3].size(), 2u);
    EXPECT_EQ(events[3][events[3].size() - 2].at("kind"), "not-in-update-mode");
    EXPECT_EQ(events[4].back().at("out"), "VELK KT Series (4)");
}

TEST_F(AllDevices, OverJackThreeEmulatorProcessesAreUpdatedAtOnce) {
    std::string error;
    const auto server = kt73b::testing::JackServer::Start(256, &error);
    ASSERT_TRUE(server) << error;
    std::vector<std::unique_ptr<ChildProcess>> emulators;
    for (const std::string name : {"VELK KT Series", "VELK KT Series (2)", "VELK KT Series (3)"}) {
        const std::string log = dir_.Path() + "/" + name + ".log";
        emulators.push_back(ChildProcess::Start(
            {KT73B_EMULATOR_PROGRAM, "--command-time=0", "--erase-time=0", "--write-time=0",
             "--link-rate=0", "--link-latency=0", "--once", "--name", name},
            log));
        ASSERT_TRUE(kt73b::testing::WaitUntil([&] { return Has(ReadFile(log), " on JACK as "); }))
            << ReadFile(log);
    }
    const auto program = Start("--all --json --firmware '" KT73B_IMAGE_DIR "'");
    ASSERT_TRUE(program);
    EXPECT_EQ(program->WaitForExit(kUpdateLimit), 0) << Out() << Err();
    for (auto& emulator : emulators) {
        EXPECT_EQ(emulator->WaitForExit(30s), 0);  // --once: the flash equals the images
    }
    auto events = EventsByDevice(Out());
    ASSERT_EQ(events.size(), 3u) << Out();
    for (auto& [device, list] : events) {
        SCOPED_TRACE(device);
        EXPECT_TRUE(Has(SummaryLine(Err(), device), "completed")) << Err();
        ExpectOneFinalObjectLast(list, true);
        ASSERT_GE(list.size(), 2u);
        EXPECT_EQ(list[list.size() - 2].at("event"), "completed");
    }
    EXPECT_EQ(events[3].back().at("out"), "VELK KT Series (3)");
}

}  // namespace
}  // namespace kt73b::cli
