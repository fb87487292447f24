#include "core/session_block.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "core/session_users.h"
#include "core/session_watchdog.h"
#include "tests/core/session_test_support.h"

namespace veltrix {
namespace {

using namespace std::chrono_literals;
using platform::LockResult;
using platform::ProcessIdentity;
using platform::SharedMemory;
using test::PeerProcess;
using test::SessionPeer;
namespace layout = session_layout;

class SessionBlockTest : public test::SharedMemoryTest {
protected:
    static std::unique_ptr<SessionBlock> OpenQuietly() {
        return SessionBlock::Open(SessionOptions::WithoutWatchdog());
    }
    // A view of the current block that stays when the block is removed, to see it wiped.
    static SharedMemory Watch() {
        auto view = SharedMemory::OpenExisting(kSessionBlockName, layout::kBlockSize);
        EXPECT_TRUE(view);
        return std::move(*view);
    }
    static std::string PasswordBytes(const SharedMemory& view) {
        return {reinterpret_cast<const char*>(view.Data()) + layout::kPasswordOffset,
                layout::kPasswordBytes};
    }
    static bool Wiped(const SharedMemory& view) {
        return PasswordBytes(view) == std::string(layout::kPasswordBytes, '\0');
    }
    static bool SessionGone() {
        return !SharedMemory::Exists(kSessionBlockName) && !SharedMemory::Exists(kSessionLockName);
    }
    // The watchdog recorded in the session's users table, once one has recorded itself.
    static std::optional<ProcessIdentity> RecordedWatchdog() {
        std::optional<ProcessIdentity> watchdog;
        test::WaitUntil([&] {
            auto lock =
                platform::RobustLock::OpenExisting(kSessionLockName, SessionUsers::kAreaSize);
            if (lock && platform::IsHeld(lock->Lock())) {
                watchdog = SessionUsers(lock->Payload()).Watchdog();
                lock->Unlock();
            }
            return watchdog.has_value();
        });
        return watchdog;
    }
    static void StartPeer(std::unique_ptr<PeerProcess>& peer, std::vector<std::string> args,
                          const char* expected = nullptr) {
        args.insert(args.begin(), "attach");
        peer = std::make_unique<PeerProcess>(SessionPeer(), args);
        const auto line = peer->ReadLine();
        ASSERT_TRUE(line && line->starts_with("attached")) << line.value_or("no answer");
        if (expected != nullptr) {
            EXPECT_EQ(*line, expected);
        }
    }
};

TEST_F(SessionBlockTest, ANewBlockIsInitialised) {
    auto block = OpenQuietly();
    ASSERT_TRUE(block);
    EXPECT_TRUE(block->Created());
    SessionLock lock(*block);
    ASSERT_TRUE(lock.Held());
    const auto bytes = block->Bytes();
    ASSERT_EQ(bytes.size(), 0xFFFFu);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const bool expiry = i >= layout::kExpiryTickOffset && i < layout::kExpiryTickOffset + 4;
        ASSERT_EQ(bytes[i], expiry ? 0xFF : 0) << "offset " << i;
    }
    EXPECT_FALSE(block->HasPassword());
    EXPECT_EQ(block->ExpiryTick(), layout::kNoExpiry);
}

TEST_F(SessionBlockTest, FieldsSitAtTheirOffsetsLittleEndian) {
    auto block = OpenQuietly();
    ASSERT_TRUE(block);
    SessionLock lock(*block);
    ASSERT_TRUE(block->SetPassword(u"A\u00e9\u20ac"));
    block->SetTimerId(0x11223344);
    block->SetEditorWindow(0x55667788);
    block->SetExpiryTick(0x01020304);
    const auto bytes = block->Bytes();
    const std::vector<unsigned char> expected{'A', 0, 0xE9, 0, 0xAC, 0x20, 0, 0};
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), bytes.begin() + 64));
    const std::vector<unsigned char> fields{0x44, 0x33, 0x22, 0x11, 0x88, 0x77,
                                            0x66, 0x55, 0x04, 0x03, 0x02, 0x01};
    EXPECT_TRUE(std::equal(fields.begin(), fields.end(), bytes.begin() + 576));
    const auto zero = [&](std::size_t from, std::size_t to) {
        return std::all_of(bytes.begin() + from, bytes.begin() + to, [](auto b) { return b == 0; });
    };
    EXPECT_TRUE(zero(0, 64) && zero(64 + 6, 576) && zero(588, bytes.size()));
    EXPECT_EQ(block->TimerId(), 0x11223344u);
    EXPECT_EQ(block->EditorWindow(), 0x55667788u);
    EXPECT_EQ(block->ExpiryTick(), 0x01020304u);
}

TEST_F(SessionBlockTest, PasswordLimits) {
    auto block = OpenQuietly();
    ASSERT_TRUE(block);
    SessionLock lock(*block);
    const std::u16string longest(254, u'x');
    ASSERT_TRUE(block->SetPassword(longest));
    EXPECT_EQ(block->Password(), longest);
    EXPECT_EQ(block->Bytes()[572], 0) << "terminator in the last two bytes";
    EXPECT_FALSE(block->SetPassword(longest + u"x"));
    EXPECT_FALSE(block->SetPassword(std::u16string(u"a\0b", 3)));
    EXPECT_EQ(block->Password(), longest) << "a refused password changes nothing";

    ASSERT_TRUE(block->SetPassword(u"\U0001F511k"));
    EXPECT_EQ(block->Password(), u"\U0001F511k");
    EXPECT_EQ(block->Bytes()[64 + 8], 0) << "nothing left of the longer password";
    block->ClearPassword();
    EXPECT_FALSE(block->HasPassword());
    EXPECT_EQ(block->Password(), u"");
}

TEST_F(SessionBlockTest, OpeningsShareTheBlockAndTheLock) {
    auto first = OpenQuietly();
    auto second = OpenQuietly();
    ASSERT_TRUE(first && second);
    EXPECT_FALSE(second->Created());
    {
        SessionLock outer(*first);
        SessionLock inner(*first);
        EXPECT_EQ(first->LevelsHeld(), 2u);
        ASSERT_TRUE(first->SetPassword(u"shared"));
        EXPECT_EQ(first->ReleaseAll(), 2u);
        SessionLock other(*second);
        EXPECT_EQ(second->Password(), u"shared");
        EXPECT_EQ(first->Reacquire(2), LockResult::Acquired);
    }
    EXPECT_EQ(first->LevelsHeld(), 0u);
    auto view = Watch();
    first.reset();
    EXPECT_FALSE(Wiped(view)) << "one opening remains";
    second.reset();
    EXPECT_TRUE(Wiped(view));
    EXPECT_TRUE(SessionGone());
}

TEST_F(SessionBlockTest, SeveralProcessesOpeningAtOnceInitialiseItOnce) {
    constexpr int kPeers = 6;
    std::vector<std::unique_ptr<PeerProcess>> peers;
    for (int i = 0; i < kPeers; ++i) {
        peers.push_back(
            std::make_unique<PeerProcess>(SessionPeer(), std::vector<std::string>{"race"}));
    }
    for (auto& peer : peers) {
        peer->WriteLine("go");
    }
    int created = 0;
    for (auto& peer : peers) {
        const auto line = peer->ReadLine();
        ASSERT_TRUE(line == "created" || line == "opened") << line.value_or("no answer");
        created += line == "created";
    }
    EXPECT_EQ(created, 1);
    auto block = OpenQuietly();
    ASSERT_TRUE(block);
    {
        SessionLock lock(*block);
        EXPECT_EQ(block->TimerId(), static_cast<std::uint32_t>(kPeers)) << "no increment was lost";
        EXPECT_EQ(block->ExpiryTick(), layout::kNoExpiry);
    }
    for (auto& peer : peers) {
        peer->CloseInput();
        EXPECT_EQ(peer->Wait(), 0);
    }
}

TEST_F(SessionBlockTest, TheLastUserToLeaveWipesAndRemovesTheBlock) {
    std::unique_ptr<PeerProcess> closing, exiting;
    StartPeer(closing, {"--no-watchdog", "--close", "secret"}, "attached created");
    StartPeer(exiting, {"--no-watchdog"}, "attached opened");
    auto view = Watch();
    closing->CloseInput();
    ASSERT_EQ(closing->Wait(), 0);
    EXPECT_EQ(PasswordBytes(view).substr(0, 6), std::string("s\0e\0c\0", 6));
    EXPECT_TRUE(SharedMemory::Exists(kSessionBlockName)) << "one user remains";
    exiting->CloseInput();
    ASSERT_EQ(exiting->Wait(), 0);
    EXPECT_TRUE(Wiped(view));
    EXPECT_TRUE(SessionGone());
}

TEST_F(SessionBlockTest, KilledUsersAreDroppedByTheNextOpening) {
    std::unique_ptr<PeerProcess> first, second;
    StartPeer(first, {"--no-watchdog", "secret"});
    StartPeer(second, {"--no-watchdog"});
    auto view = Watch();
    first->Kill();
    {
        auto block = OpenQuietly();
        ASSERT_TRUE(block);
        EXPECT_FALSE(block->Created());
        SessionLock lock(*block);
        EXPECT_EQ(block->Password(), u"secret") << "one user is alive";
    }
    EXPECT_FALSE(Wiped(view));
    second->Kill();
    auto block = OpenQuietly();
    ASSERT_TRUE(block);
    EXPECT_TRUE(block->Created());
    EXPECT_TRUE(Wiped(view));
    SessionLock lock(*block);
    EXPECT_FALSE(block->HasPassword());
}

TEST_F(SessionBlockTest, TheWatchdogEndsTheSessionOfKilledUsers) {
    std::unique_ptr<PeerProcess> first, second;
    StartPeer(first, {"secret"});
    StartPeer(second, {});
    const auto watchdog = RecordedWatchdog();
    ASSERT_TRUE(watchdog);
    auto view = Watch();
    first->Kill();
    std::this_thread::sleep_for(2500ms);
    EXPECT_FALSE(Wiped(view)) << "one user is alive";
    EXPECT_EQ(RecordedWatchdog(), watchdog) << "one watchdog per session";
    second->Kill();
    EXPECT_TRUE(test::WaitUntil([&] { return Wiped(view) && SessionGone(); }));
    EXPECT_TRUE(test::WaitUntil([&] { return !platform::IsRunning(*watchdog); }));
}

TEST_F(SessionBlockTest, TheWatchdogEndsWithTheSession) {
    std::unique_ptr<PeerProcess> user;
    StartPeer(user, {"--close"});
    const auto watchdog = RecordedWatchdog();
    ASSERT_TRUE(watchdog);
    user->CloseInput();
    EXPECT_EQ(user->Wait(), 0);
    EXPECT_TRUE(SessionGone());
    EXPECT_TRUE(test::WaitUntil([&] { return !platform::IsRunning(*watchdog); }));
}

TEST_F(SessionBlockTest, ASweepEndsTheSessionOnlyWhenNobodyIsLeft) {
    const ProcessIdentity self = platform::CurrentProcessIdentity();
    std::unique_ptr<PeerProcess> user;
    StartPeer(user, {"--no-watchdog", "secret"});
    auto lock = platform::RobustLock::OpenExisting(kSessionLockName, SessionUsers::kAreaSize);
    ASSERT_TRUE(lock);
    EXPECT_EQ(SweepSession(*lock, self), SweepResult::UsersRemain);
    EXPECT_EQ(SweepSession(*lock, ProcessIdentity{user->Pid(), 0}), SweepResult::Superseded);
    auto view = Watch();
    user->Kill();
    EXPECT_EQ(SweepSession(*lock, self), SweepResult::SessionEnded);
    EXPECT_TRUE(Wiped(view));
    EXPECT_TRUE(SessionGone());
    EXPECT_EQ(SweepSession(*lock, self), SweepResult::LockRetired);
}

TEST_F(SessionBlockTest, AProcessThatOpensTheBlockDumpsNoCore) {
    auto block = OpenQuietly();
    ASSERT_TRUE(block);
    EXPECT_EQ(prctl(PR_GET_DUMPABLE, 0, 0, 0, 0), 0);
    rlimit core{};
    ASSERT_EQ(getrlimit(RLIMIT_CORE, &core), 0);
    EXPECT_EQ(core.rlim_cur, 0u);
    EXPECT_EQ(core.rlim_max, 0u);
}

// The watchdog killed together with the last user: the next process to attach finds nobody left
// and wipes the password before anything else.
TEST_F(SessionBlockTest, ASessionWhoseUsersAndWatchdogWereKilledIsWipedByTheNextOpening) {
    std::unique_ptr<PeerProcess> holder;
    StartPeer(holder, {"secret"});
    const auto watchdog = RecordedWatchdog();
    ASSERT_TRUE(watchdog);
    auto view = Watch();
    ASSERT_EQ(kill(watchdog->pid, SIGKILL), 0);
    holder->Kill();
    ASSERT_TRUE(test::WaitUntil([&] { return !platform::IsRunning(*watchdog); }));
    EXPECT_FALSE(Wiped(view)) << "nobody is left to wipe it yet";

    auto block = OpenQuietly();
    ASSERT_TRUE(block);
    EXPECT_TRUE(Wiped(view));
    EXPECT_TRUE(block->Created()) << "a fresh block, not the stale one";
    SessionLock lock(*block);
    EXPECT_FALSE(block->HasPassword());
}

TEST_F(SessionBlockTest, TheProcessKeepsOneOpeningUntilItClosesItsHandles) {
    SessionBlock* block = SessionBlock::ForProcess();
    ASSERT_TRUE(block);
    EXPECT_EQ(SessionBlock::ForProcess(), block);
    const auto watchdog = RecordedWatchdog();
    ASSERT_TRUE(watchdog);
    ASSERT_TRUE(platform::IsHeld(block->Lock()));
    ASSERT_TRUE(platform::IsHeld(block->Lock()));
    ASSERT_TRUE(block->SetPassword(u"secret"));
    auto view = Watch();
    SessionBlock::CloseProcessHandles();  // with two levels held
    EXPECT_TRUE(Wiped(view));
    EXPECT_TRUE(SessionGone());
    EXPECT_TRUE(test::WaitUntil([&] { return !platform::IsRunning(*watchdog); }));
    SessionBlock::CloseProcessHandles();  // nothing open: nothing happens
}

}  // namespace
}  // namespace veltrix
