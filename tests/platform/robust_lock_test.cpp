#include "platform/robust_lock.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "tests/core/session_test_support.h"

namespace veltrix::platform {
namespace {

using namespace std::chrono_literals;
using test::PeerProcess;
using test::SessionPeer;

constexpr const char* kName = "Test Lock";

class RobustLockTest : public test::SharedMemoryTest {
protected:
    void TearDown() override {
        m_lock.reset();
        RobustLock::Remove(kName);
        test::SharedMemoryTest::TearDown();
    }
    // What another process finds without waiting: "acquired" or "busy".
    std::string PeerTries() {
        PeerProcess peer(SessionPeer(), {"trylock", kName});
        return peer.ReadLine().value_or("no answer");
    }

    std::unique_ptr<RobustLock> m_lock = RobustLock::Open(kName, 64);
};

TEST_F(RobustLockTest, RecursionIsCountedPerThread) {
    ASSERT_TRUE(m_lock);
    EXPECT_EQ(m_lock->Lock(), LockResult::Acquired);
    EXPECT_EQ(m_lock->Lock(), LockResult::Acquired);
    EXPECT_EQ(m_lock->LevelsHeld(), 2u);
    std::async(std::launch::async, [this] {
        EXPECT_EQ(m_lock->LevelsHeld(), 0u);
        EXPECT_EQ(m_lock->LockFor(50ms), LockResult::TimedOut);
        EXPECT_FALSE(m_lock->Unlock());
    }).get();
    EXPECT_TRUE(m_lock->Unlock());
    EXPECT_TRUE(m_lock->Unlock());
    EXPECT_FALSE(m_lock->Unlock());
}

TEST_F(RobustLockTest, PayloadIsSharedByEveryOpening) {
    auto other = RobustLock::Open(kName, 64);
    ASSERT_TRUE(m_lock && other);
    EXPECT_TRUE(m_lock->Created());
    EXPECT_FALSE(other->Created());
    m_lock->Payload()[63] = 9;
    EXPECT_EQ(other->Payload()[63], 9);
}

TEST_F(RobustLockTest, AnotherProcessWaitsForTheHolder) {
    PeerProcess holder(SessionPeer(), {"lock", kName, "2"});
    ASSERT_EQ(holder.ReadLine(), "held");
    EXPECT_EQ(m_lock->LockFor(100ms), LockResult::TimedOut);
    auto waiter = std::async(std::launch::async, [this] {
        const LockResult result = m_lock->Lock();
        m_lock->Unlock();
        return result;
    });
    EXPECT_EQ(waiter.wait_for(300ms), std::future_status::timeout);
    holder.CloseInput();
    EXPECT_EQ(holder.ReadLine(), "released");
    EXPECT_EQ(waiter.get(), LockResult::Acquired);
    EXPECT_EQ(holder.Wait(), 0);
}

TEST_F(RobustLockTest, AKilledHolderIsReportedAndTheLockWorksOn) {
    for (const char* levels : {"1", "3"}) {
        PeerProcess holder(SessionPeer(), {"lock", kName, levels});
        ASSERT_EQ(holder.ReadLine(), "held");
        holder.Kill();
        EXPECT_EQ(m_lock->Lock(), LockResult::AcquiredOwnerDied) << levels << " levels";
        EXPECT_EQ(m_lock->Lock(), LockResult::Acquired);
        EXPECT_EQ(PeerTries(), "busy");
        EXPECT_EQ(m_lock->ReleaseAll(), 2u);
        EXPECT_EQ(PeerTries(), "acquired");
        EXPECT_EQ(m_lock->Lock(), LockResult::Acquired) << "consistent again";
        m_lock->Unlock();
    }
}

TEST_F(RobustLockTest, ReleaseAllLetsOthersInAndReacquireTakesEveryLevelBack) {
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(IsHeld(m_lock->Lock()));
    }
    EXPECT_EQ(m_lock->ReleaseAll(), 3u);
    EXPECT_EQ(m_lock->LevelsHeld(), 0u);
    EXPECT_EQ(PeerTries(), "acquired");
    EXPECT_EQ(m_lock->Reacquire(3), LockResult::Acquired);
    EXPECT_EQ(m_lock->LevelsHeld(), 3u);
    EXPECT_EQ(PeerTries(), "busy");

    // A holder that dies while the levels are released is reported by Reacquire.
    EXPECT_EQ(m_lock->ReleaseAll(), 3u);
    PeerProcess holder(SessionPeer(), {"lock", kName, "1"});
    ASSERT_EQ(holder.ReadLine(), "held");
    holder.Kill();
    EXPECT_EQ(m_lock->Reacquire(2), LockResult::AcquiredOwnerDied);
    EXPECT_EQ(m_lock->ReleaseAll(), 2u);
}

TEST_F(RobustLockTest, ARetiredLockSendsNewcomersBackToTheName) {
    auto other = RobustLock::Open(kName, 64);
    ASSERT_TRUE(other);
    EXPECT_FALSE(m_lock->Retire()) << "only a holder retires";
    ASSERT_TRUE(IsHeld(m_lock->Lock()));
    EXPECT_TRUE(m_lock->Retire());
    EXPECT_FALSE(SharedMemory::Exists(kName));
    EXPECT_EQ(m_lock->Lock(), LockResult::Acquired) << "nested levels go on";
    EXPECT_EQ(m_lock->ReleaseAll(), 2u);
    EXPECT_EQ(other->Lock(), LockResult::Retired);
    EXPECT_EQ(other->LevelsHeld(), 0u);

    auto fresh = RobustLock::Open(kName, 64);
    ASSERT_TRUE(fresh);
    EXPECT_TRUE(fresh->Created());
    EXPECT_EQ(fresh->Payload()[0], 0);
}

TEST_F(RobustLockTest, AnObjectLeftUninitialisedIsTakenOver) {
    m_lock.reset();
    RobustLock::Remove(kName);
    // As left by a creator that died before initialising the mutex.
    ASSERT_TRUE(SharedMemory::OpenOrCreate(kName, 16));
    auto lock = RobustLock::Open(kName, 64);
    ASSERT_TRUE(lock);
    EXPECT_FALSE(lock->Created());
    EXPECT_EQ(lock->Lock(), LockResult::Acquired);
    EXPECT_EQ(PeerTries(), "busy");
    lock->Unlock();
}

}  // namespace
}  // namespace veltrix::platform
