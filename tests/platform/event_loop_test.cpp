#include "platform/event_loop.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>
#include <vector>

#include "platform/tick.h"
#include "tests/support/moved_clock.h"
#include "tests/support/test_environment.h"
#include "tests/support/test_pipe.h"

namespace veltrix::platform {
namespace {

using Clock = std::chrono::steady_clock;

using test::MillisecondsSince;

using test::Pipe;

// Timers with a period of an hour, driven only by moving the clock.
class MovedClockTimers : public ::testing::Test {
protected:
    static constexpr std::uint32_t kHourMs = 3600000;

    test::IsolatedEnvironment env_;
    test::MovedClock clock_{env_.Root()};
    SimpleEventLoop loop_;
};

TEST_F(MovedClockTimers, FireOncePerPeriodOfTheMovedClock) {
    std::vector<TimerId> fired;
    const TimerId id = loop_.SetTimer(kHourMs, [&](TimerId which) { fired.push_back(which); });
    ASSERT_NE(id, 0u);
    EXPECT_EQ(loop_.ProcessEvents(0), 0u);

    clock_.Advance(kHourMs - 60000);
    EXPECT_EQ(loop_.ProcessEvents(0), 0u);
    clock_.Advance(60000);
    EXPECT_EQ(loop_.ProcessEvents(0), 1u);
    EXPECT_EQ(fired, std::vector<TimerId>{id});

    // The next period counts from the firing; many periods at once still fire once.
    clock_.Advance(kHourMs / 2);
    EXPECT_EQ(loop_.ProcessEvents(0), 0u);
    clock_.Advance(10 * kHourMs);
    EXPECT_EQ(loop_.ProcessEvents(0), 1u);
    EXPECT_EQ(loop_.ProcessEvents(0), 0u);
    EXPECT_EQ(fired.size(), 2u);
}

TEST_F(MovedClockTimers, FireAcrossTheWrapOfTheTick) {
    clock_.Set(static_cast<std::int64_t>(0xFFFFFFFFu - TickCount()) - kHourMs / 2);
    int fired = 0;
    loop_.SetTimer(kHourMs, [&](TimerId) { ++fired; });
    clock_.Advance(kHourMs - 60000);
    loop_.ProcessEvents(0);
    EXPECT_EQ(fired, 0);
    clock_.Advance(60000);
    loop_.ProcessEvents(0);
    EXPECT_EQ(fired, 1);
}

TEST_F(MovedClockTimers, KilledTimersStopAndIdsAreUnique) {
    std::set<TimerId> ids;
    int fired = 0;
    for (int i = 0; i < 20; ++i) {
        ids.insert(loop_.SetTimer(kHourMs, [&](TimerId) { ++fired; }));
    }
    EXPECT_EQ(ids.size(), 20u);
    EXPECT_EQ(ids.count(0), 0u);
    for (TimerId id : ids) {
        EXPECT_TRUE(loop_.KillTimer(id));
        EXPECT_FALSE(loop_.KillTimer(id));
    }
    EXPECT_FALSE(loop_.KillTimer(0));
    clock_.Advance(2 * kHourMs);
    EXPECT_EQ(loop_.ProcessEvents(0), 0u);
    EXPECT_EQ(fired, 0);
    EXPECT_EQ(loop_.SetTimer(kHourMs, nullptr), 0u);
}

TEST_F(MovedClockTimers, CallbacksMayKillTheirTimerAndStartOthers) {
    int selfKilling = 0;
    int started = 0;
    TimerId startedId = 0;
    loop_.SetTimer(kHourMs, [&](TimerId id) {
        ++selfKilling;
        EXPECT_TRUE(loop_.KillTimer(id));
        startedId = loop_.SetTimer(kHourMs, [&](TimerId) { ++started; });
    });
    clock_.Advance(kHourMs);
    EXPECT_EQ(loop_.ProcessEvents(0), 1u);  // the new timer is not due in the same pass
    clock_.Advance(kHourMs);
    EXPECT_EQ(loop_.ProcessEvents(0), 1u);
    EXPECT_EQ(selfKilling, 1);
    EXPECT_EQ(started, 1);
    EXPECT_TRUE(loop_.KillTimer(startedId));
}

TEST_F(MovedClockTimers, AMoveDuringAWaitWakesTheLoop) {
    int fired = 0;
    loop_.SetTimer(kHourMs, [&](TimerId) { ++fired; });
    std::thread mover([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        clock_.Advance(kHourMs);
    });
    const auto start = Clock::now();
    EXPECT_EQ(loop_.ProcessEvents(30000), 1u);
    EXPECT_LT(MillisecondsSince(start), 10000);
    mover.join();
    EXPECT_EQ(fired, 1);
}

TEST(SimpleEventLoop, TimersFireInRealTime) {
    test::IsolatedEnvironment env;
    SimpleEventLoop loop;
    int fired = 0;
    const std::uint32_t start = TickCount();
    loop.SetTimer(20, [&](TimerId) { ++fired; });
    EXPECT_TRUE(loop.RunUntil([&] { return fired >= 3; }, 10000));
    EXPECT_GE(TickCount() - start, 59u);
}

TEST(SimpleEventLoop, RunEndsAtQuit) {
    test::IsolatedEnvironment env;
    SimpleEventLoop loop;
    int fired = 0;
    loop.SetTimer(1, [&](TimerId) {
        if (++fired == 3) {
            loop.Quit();
        }
    });
    loop.Run();
    EXPECT_EQ(fired, 3);
}

TEST(SimpleEventLoop, RunUntilGivesUpAtItsTimeout) {
    test::IsolatedEnvironment env;
    SimpleEventLoop loop;
    const auto start = Clock::now();
    EXPECT_FALSE(loop.RunUntil([] { return false; }, 100));
    EXPECT_GE(MillisecondsSince(start), 100);
    EXPECT_EQ(loop.ProcessEvents(30), 0u);
    EXPECT_GE(MillisecondsSince(start), 130);
}

TEST(SimpleEventLoop, WatchesReportReadableDescriptors) {
    test::IsolatedEnvironment env;
    SimpleEventLoop loop;
    Pipe pipe;
    std::vector<int> seen;
    const WatchId id = loop.WatchReadable(pipe.Reader(), [&](int fd) {
        seen.push_back(fd);
        pipe.Drain();
    });
    ASSERT_NE(id, 0u);
    EXPECT_EQ(loop.ProcessEvents(0), 0u);
    pipe.Write();
    EXPECT_EQ(loop.ProcessEvents(0), 1u);
    EXPECT_EQ(seen, std::vector<int>{pipe.Reader()});

    EXPECT_TRUE(loop.Unwatch(id));
    EXPECT_FALSE(loop.Unwatch(id));
    pipe.Write();
    EXPECT_EQ(loop.ProcessEvents(0), 0u);
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(loop.WatchReadable(-1, [](int) {}), 0u);
}

TEST(SimpleEventLoop, WatchesReportTheEndOfTheInput) {
    test::IsolatedEnvironment env;
    SimpleEventLoop loop;
    Pipe pipe;
    bool ended = false;
    const WatchId id = loop.WatchReadable(pipe.Reader(), [&](int fd) {
        char byte;
        ended = read(fd, &byte, 1) == 0;
    });
    pipe.CloseWriter();
    EXPECT_EQ(loop.ProcessEvents(0), 1u);
    EXPECT_TRUE(ended);
    loop.Unwatch(id);
}

TEST(SimpleEventLoop, AWaitEndsWhenDataArrives) {
    test::IsolatedEnvironment env;
    SimpleEventLoop loop;
    Pipe pipe;
    loop.WatchReadable(pipe.Reader(), [&](int) { pipe.Drain(); });
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        pipe.Write();
    });
    const auto start = Clock::now();
    EXPECT_EQ(loop.ProcessEvents(30000), 1u);
    EXPECT_LT(MillisecondsSince(start), 10000);
    writer.join();
}

TEST(ThreadEventLoop, EachThreadHasItsOwnLoopAndTimers) {
    test::IsolatedEnvironment env;
    test::MovedClock clock(env.Root());
    IEventLoop& mine = ThreadEventLoop();
    EXPECT_EQ(&mine, &ThreadEventLoop());

    std::atomic<int> firedOn{0};  // 1: this thread, 2: the other one
    const TimerId id = mine.SetTimer(1000, [&](TimerId) { firedOn = 1; });
    clock.Advance(5000);

    std::thread other([&] {
        IEventLoop& theirs = ThreadEventLoop();
        EXPECT_NE(&theirs, &mine);
        EXPECT_FALSE(theirs.KillTimer(id));
        theirs.RunUntil([] { return false; }, 50);
        if (firedOn != 0) {
            firedOn = 2;
        }
    });
    other.join();
    EXPECT_EQ(firedOn, 0);

    mine.ProcessEvents(0);
    EXPECT_EQ(firedOn, 1);
    EXPECT_TRUE(mine.KillTimer(id));
}

class CountingLoop : public SimpleEventLoop {
public:
    TimerId SetTimer(std::uint32_t periodMs, TimerCallback callback) override {
        ++timersStarted;
        return SimpleEventLoop::SetTimer(periodMs, std::move(callback));
    }
    int timersStarted = 0;
};

TEST(ThreadEventLoop, ThreadsUseTheInstalledFactory) {
    test::IsolatedEnvironment env;
    IEventLoop& before = ThreadEventLoop();
    SetEventLoopFactory([] { return std::make_unique<CountingLoop>(); });
    std::thread other([] {
        auto* loop = dynamic_cast<CountingLoop*>(&ThreadEventLoop());
        ASSERT_NE(loop, nullptr);
        loop->KillTimer(ThreadEventLoop().SetTimer(10, [](TimerId) {}));
        EXPECT_EQ(loop->timersStarted, 1);
    });
    other.join();
    SetEventLoopFactory({});
    EXPECT_EQ(&before, &ThreadEventLoop());  // a thread keeps the loop it has
    std::thread plain([] { EXPECT_EQ(dynamic_cast<CountingLoop*>(&ThreadEventLoop()), nullptr); });
    plain.join();
}

}  // namespace
}  // namespace veltrix::platform
