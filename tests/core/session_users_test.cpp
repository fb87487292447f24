#include "core/session_users.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <vector>

extern char** environ;

namespace veltrix {
namespace {

using platform::ProcessIdentity;

// The identity a process had, once it has ended and been reaped.
ProcessIdentity EndedProcess() {
    pid_t pid = 0;
    char sleepPath[] = "/bin/sleep";
    char delay[] = "0.1";
    char* argv[] = {sleepPath, delay, nullptr};
    EXPECT_EQ(posix_spawn(&pid, sleepPath, nullptr, nullptr, argv, environ), 0);
    const auto identity = platform::IdentityOf(pid);
    EXPECT_TRUE(identity);
    int status = 0;
    waitpid(pid, &status, 0);
    return identity.value_or(ProcessIdentity{pid, 1});
}

class SessionUsersTest : public ::testing::Test {
protected:
    std::vector<unsigned char> area_ = std::vector<unsigned char>(SessionUsers::kAreaSize);
    SessionUsers users_{area_.data()};
    ProcessIdentity self_ = platform::CurrentProcessIdentity();
};

TEST(ProcessIdentity, TellsRunningEndedAndReusedProcessesApart) {
    const ProcessIdentity self = platform::CurrentProcessIdentity();
    EXPECT_EQ(self.pid, getpid());
    EXPECT_TRUE(platform::IsRunning(self));
    EXPECT_FALSE(platform::IsRunning(ProcessIdentity{self.pid, self.startTime + 1}))
        << "same pid, another start: a reused pid";
    EXPECT_FALSE(platform::IsRunning(EndedProcess()));
    EXPECT_FALSE(platform::IdentityOf(0));
}

TEST(ProcessIdentity, AZombieHasEnded) {
    pid_t pid = 0;
    char truePath[] = "/bin/true";
    char* argv[] = {truePath, nullptr};
    ASSERT_EQ(posix_spawn(&pid, truePath, nullptr, nullptr, argv, environ), 0);
    siginfo_t info{};
    // Wait for the end without reaping it.
    ASSERT_EQ(waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT), 0);
    EXPECT_FALSE(platform::IsRunning(pid));
    waitpid(pid, nullptr, 0);
}

TEST_F(SessionUsersTest, AttachmentsAreCountedPerProcess) {
    EXPECT_TRUE(users_.Empty());
    EXPECT_TRUE(users_.Attach(self_));
    EXPECT_TRUE(users_.Attach(self_));
    EXPECT_EQ(users_.Count(), 1u);
    EXPECT_EQ(users_.AttachmentsOf(self_), 2u);
    EXPECT_TRUE(users_.Detach(self_));
    EXPECT_EQ(users_.Count(), 1u);
    EXPECT_TRUE(users_.Detach(self_));
    EXPECT_TRUE(users_.Empty());
    EXPECT_FALSE(users_.Detach(self_));
    EXPECT_FALSE(users_.Attach(ProcessIdentity{}));
}

TEST_F(SessionUsersTest, PruneDropsEndedAndReusedProcessesOnly) {
    ASSERT_TRUE(users_.Attach(EndedProcess()));
    ASSERT_TRUE(users_.Attach(self_));
    ASSERT_TRUE(users_.Attach(ProcessIdentity{self_.pid, self_.startTime + 1}));
    EXPECT_EQ(users_.Prune(), 2u);
    EXPECT_EQ(users_.Count(), 1u);
    EXPECT_EQ(users_.AttachmentsOf(self_), 1u);
}

TEST_F(SessionUsersTest, AFullTableRefusesNewProcesses) {
    for (std::size_t i = 0; i < kMaxSessionUsers; ++i) {
        ASSERT_TRUE(users_.Attach(ProcessIdentity{static_cast<std::int32_t>(i + 1), 7}));
    }
    EXPECT_FALSE(users_.Attach(self_));
    EXPECT_TRUE(users_.Attach(ProcessIdentity{1, 7})) << "one already attached may attach again";
    EXPECT_TRUE(users_.Detach(ProcessIdentity{5, 7}));
    EXPECT_TRUE(users_.Attach(self_));
}

TEST_F(SessionUsersTest, DamagedCountStaysWithinTheTable) {
    reinterpret_cast<SessionUsersArea*>(area_.data())->count = 100000;
    SessionUsers users(area_.data());
    EXPECT_EQ(users.Count(), kMaxSessionUsers);
}

TEST_F(SessionUsersTest, TheWatchdogIsRecordedAndCheckedForLife) {
    EXPECT_FALSE(users_.Watchdog());
    EXPECT_FALSE(users_.WatchdogRunning());
    users_.SetWatchdog(self_);
    EXPECT_EQ(users_.Watchdog(), self_);
    EXPECT_TRUE(users_.WatchdogRunning());
    users_.SetWatchdog(EndedProcess());
    EXPECT_FALSE(users_.WatchdogRunning());
    users_.SetWatchdog(std::nullopt);
    EXPECT_FALSE(users_.Watchdog());
    EXPECT_TRUE(users_.Empty()) << "the watchdog is no user";
}

}  // namespace
}  // namespace veltrix
