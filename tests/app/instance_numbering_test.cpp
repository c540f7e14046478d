#include "app/instance_numbering.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <memory>

#include "tests/support/temp_dir.h"

namespace kt73b {
namespace {

namespace fs = std::filesystem;

// Every test gets its own lock folder (mode 0700), so copies running on this machine do not
// interfere.
class InstanceNumbering : public ::testing::Test {
  protected:
    const kt73b::testing::ScratchFolder folder_;
};

TEST_F(InstanceNumbering, LowestFreeNumberWinsAndTheTwentyFirstIsRefused) {
    std::array<std::unique_ptr<os::InstanceLock>, 21> copies;
    for (int i = 0; i < 21; ++i) {
        copies[i] = std::make_unique<os::InstanceLock>();
        EXPECT_EQ(ClaimInstanceNumber(*copies[i]), i < 20 ? i + 1 : 0);
    }
    // Copy 1 ends while the others run: the next start gets 1, then 5 once copy 5 has ended.
    copies[0].reset();
    copies[4].reset();
    os::InstanceLock next;
    EXPECT_EQ(ClaimInstanceNumber(next), 1);
    os::InstanceLock after;
    EXPECT_EQ(ClaimInstanceNumber(after), 5);
}

TEST_F(InstanceNumbering, AKilledCopysNumberIsFreeAgain) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        os::InstanceLock lock;
        const char number = static_cast<char>(ClaimInstanceNumber(lock));
        (void)!write(ready[1], &number, 1);
        pause();  // held until killed
        _exit(0);
    }
    char number = 0;
    ASSERT_EQ(read(ready[0], &number, 1), 1);
    EXPECT_EQ(number, 1);
    os::InstanceLock whileAlive;
    EXPECT_EQ(ClaimInstanceNumber(whileAlive), 2);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    os::InstanceLock afterKill;
    EXPECT_EQ(ClaimInstanceNumber(afterKill), 1);
    close(ready[0]);
    close(ready[1]);
}

TEST_F(InstanceNumbering, AFolderOthersMayWriteIsNotTrusted) {
    const fs::path shared = fs::path(folder_.Path()) / "kt73b-updater";
    fs::create_directories(shared);
    fs::permissions(shared, fs::perms::all);
    os::InstanceLock lock;
    EXPECT_EQ(ClaimInstanceNumber(lock), 0);
}

}  // namespace
}  // namespace kt73b
