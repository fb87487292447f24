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
    std::vector<unsigned char> m_area = std::vector<unsigned char>(SessionUsers::kAreaSize);
    SessionUsers m_users{m_area.data()};
    ProcessIdentity m_self = platform::CurrentProcessIdentity();
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
    EXPECT_TRUE(m_users.Empty());
    EXPECT_TRUE(m_users.Attach(m_self));
    EXPECT_TRUE(m_users.Attach(m_self));
    EXPECT_EQ(m_users.Count(), 1u);
    EXPECT_EQ(m_users.AttachmentsOf(m_self), 2u);
    EXPECT_TRUE(m_users.Detach(m_self));
    EXPECT_EQ(m_users.Count(), 1u);
    EXPECT_TRUE(m_users.Detach(m_self));
    EXPECT_TRUE(m_users.Empty());
    EXPECT_FALSE(m_users.Detach(m_self));
    EXPECT_FALSE(m_users.Attach(ProcessIdentity{}));
}

TEST_F(SessionUsersTest, PruneDropsEndedAndReusedProcessesOnly) {
    ASSERT_TRUE(m_users.Attach(EndedProcess()));
    ASSERT_TRUE(m_users.Attach(m_self));
    ASSERT_TRUE(m_users.Attach(ProcessIdentity{m_self.pid, m_self.startTime + 1}));
    EXPECT_EQ(m_users.Prune(), 2u);
    EXPECT_EQ(m_users.Count(), 1u);
    EXPECT_EQ(m_users.AttachmentsOf(m_self), 1u);
}

TEST_F(SessionUsersTest, AFullTableRefusesNewProcesses) {
    for (std::size_t i = 0; i < kMaxSessionUsers; ++i) {
        ASSERT_TRUE(m_users.Attach(ProcessIdentity{static_cast<std::int32_t>(i + 1), 7}));
    }
    EXPECT_FALSE(m_users.Attach(m_self));
    EXPECT_TRUE(m_users.Attach(ProcessIdentity{1, 7})) << "one already attached may attach again";
    EXPECT_TRUE(m_users.Detach(ProcessIdentity{5, 7}));
    EXPECT_TRUE(m_users.Attach(m_self));
}

TEST_F(SessionUsersTest, DamagedCountStaysWithinTheTable) {
    reinterpret_cast<SessionUsersArea*>(m_area.data())->count = 100000;
    SessionUsers users(m_area.data());
    EXPECT_EQ(users.Count(), kMaxSessionUsers);
}

TEST_F(SessionUsersTest, TheWatchdogIsRecordedAndCheckedForLife) {
    EXPECT_FALSE(m_users.Watchdog());
    EXPECT_FALSE(m_users.WatchdogRunning());
    m_users.SetWatchdog(m_self);
    EXPECT_EQ(m_users.Watchdog(), m_self);
    EXPECT_TRUE(m_users.WatchdogRunning());
    m_users.SetWatchdog(EndedProcess());
    EXPECT_FALSE(m_users.WatchdogRunning());
    m_users.SetWatchdog(std::nullopt);
    EXPECT_FALSE(m_users.Watchdog());
    EXPECT_TRUE(m_users.Empty()) << "the watchdog is no user";
}

}  // namespace
}  // namespace veltrix
