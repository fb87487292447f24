// What every event loop keeps, run over SimpleEventLoop and QtEventLoop alike: timers by the tick
// (the moved clock too), descriptor watches, bounded waits and Quit. It runs in the Qt test
// program, which has the QApplication QtEventLoop needs. What one loop alone offers is tested in
// event_loop_test.cpp (the thread loops and their factory) and ui/qt/qt_event_loop_test.cpp.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <set>
#include <thread>
#include <vector>

#include "platform/event_loop.h"
#include "platform/tick.h"
#include "tests/support/moved_clock.h"
#include "tests/support/test_environment.h"
#include "tests/support/test_pipe.h"
#include "ui/qt/qt_event_loop.h"

namespace veltrix::platform {
namespace {

using Clock = std::chrono::steady_clock;
using test::MillisecondsSince;
using test::Pipe;

// A bound for what must happen soon, far above any period used here.
constexpr int kPatienceMs = 5000;
constexpr std::uint32_t kHourMs = 3600000;

template <class Loop>
class EventLoopContract : public testing::Test {
protected:
    Loop m_loop;
};

// Timers of an hour, made due by moving the clock.
template <class Loop>
class EventLoopMovedClock : public testing::Test {
protected:
    test::TempFolder m_folder;
    test::MovedClock m_clock{m_folder.Path()};
    Loop m_loop;
};

using Loops = testing::Types<SimpleEventLoop, ui::QtEventLoop>;
TYPED_TEST_SUITE(EventLoopContract, Loops);
TYPED_TEST_SUITE(EventLoopMovedClock, Loops);

TYPED_TEST(EventLoopMovedClock, TimersFireOncePerPeriodOfTheMovedClock) {
    auto& loop = this->m_loop;
    std::vector<TimerId> fired;
    const TimerId id = loop.SetTimer(kHourMs, [&](TimerId which) { fired.push_back(which); });
    ASSERT_NE(id, 0u);
    EXPECT_EQ(loop.ProcessEvents(0), 0u);

    this->m_clock.Advance(kHourMs - 60000);
    EXPECT_EQ(loop.ProcessEvents(0), 0u);
    this->m_clock.Advance(60000);
    EXPECT_EQ(loop.ProcessEvents(0), 1u) << "a move is seen at once";
    EXPECT_EQ(fired, std::vector<TimerId>{id});

    // The next period counts from the firing; many periods at once still fire once.
    this->m_clock.Advance(kHourMs / 2);
    EXPECT_EQ(loop.ProcessEvents(0), 0u);
    this->m_clock.Advance(10 * kHourMs);
    EXPECT_EQ(loop.ProcessEvents(0), 1u);
    EXPECT_EQ(loop.ProcessEvents(0), 0u);
    EXPECT_EQ(fired.size(), 2u);
}

TYPED_TEST(EventLoopMovedClock, TimersFireAcrossTheWrapOfTheTick) {
    this->m_clock.Set(static_cast<std::int64_t>(0xFFFFFFFFu - TickCount()) - kHourMs / 2);
    int fired = 0;
    this->m_loop.SetTimer(kHourMs, [&](TimerId) { ++fired; });
    this->m_clock.Advance(kHourMs - 60000);
    this->m_loop.ProcessEvents(0);
    EXPECT_EQ(fired, 0);
    this->m_clock.Advance(60000);
    this->m_loop.ProcessEvents(0);
    EXPECT_EQ(fired, 1);
}

TYPED_TEST(EventLoopMovedClock, KilledTimersStopAndIdsAreUnique) {
    auto& loop = this->m_loop;
    TypeParam other;
    std::set<TimerId> ids;
    int fired = 0;
    for (int i = 0; i < 20; ++i) {
        ids.insert(loop.SetTimer(kHourMs, [&](TimerId) { ++fired; }));
    }
    const TimerId othersId = other.SetTimer(kHourMs, [&](TimerId) { ++fired; });
    EXPECT_EQ(ids.size(), 20u);
    EXPECT_EQ(ids.count(0), 0u);
    EXPECT_EQ(ids.count(othersId), 0u) << "ids are unique across loops";
    EXPECT_FALSE(loop.KillTimer(othersId)) << "a loop kills only its own timers";
    for (TimerId id : ids) {
        EXPECT_TRUE(loop.KillTimer(id));
        EXPECT_FALSE(loop.KillTimer(id));
    }
    EXPECT_FALSE(loop.KillTimer(0));
    this->m_clock.Advance(2 * kHourMs);
    EXPECT_EQ(loop.ProcessEvents(0), 0u);
    EXPECT_EQ(fired, 0);
    EXPECT_EQ(loop.SetTimer(kHourMs, nullptr), 0u);
    EXPECT_TRUE(other.KillTimer(othersId));
}

TYPED_TEST(EventLoopMovedClock, CallbacksMayKillTheirTimerAndStartOthers) {
    auto& loop = this->m_loop;
    int selfKilling = 0;
    int started = 0;
    TimerId startedId = 0;
    loop.SetTimer(kHourMs, [&](TimerId id) {
        ++selfKilling;
        EXPECT_TRUE(loop.KillTimer(id));
        startedId = loop.SetTimer(kHourMs, [&](TimerId) { ++started; });
    });
    this->m_clock.Advance(kHourMs);
    EXPECT_EQ(loop.ProcessEvents(0), 1u);  // the new timer is not due in the same pass
    this->m_clock.Advance(kHourMs);
    EXPECT_EQ(loop.ProcessEvents(0), 1u);
    EXPECT_EQ(selfKilling, 1);
    EXPECT_EQ(started, 1);
    EXPECT_TRUE(loop.KillTimer(startedId));
}

TYPED_TEST(EventLoopMovedClock, AMoveDuringAWaitWakesTheLoop) {
    int fired = 0;
    this->m_loop.SetTimer(kHourMs, [&](TimerId) { ++fired; });
    std::thread mover([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        this->m_clock.Advance(kHourMs);
    });
    const auto start = Clock::now();
    EXPECT_EQ(this->m_loop.ProcessEvents(30000), 1u);
    EXPECT_LT(MillisecondsSince(start), 10000);
    mover.join();
    EXPECT_EQ(fired, 1);
}

// A period counts from the tick the loop read when the timer fired, which a callback cannot see:
// the k-th firing comes k full periods after the start at the earliest.
TYPED_TEST(EventLoopContract, TimersFireAFullPeriodApartUntilKilled) {
    auto& loop = this->m_loop;
    std::vector<std::uint32_t> ticks{TickCount()};
    std::vector<std::uint32_t> shortTicks{ticks.front()};
    const TimerId id = loop.SetTimer(30, [&](TimerId) { ticks.push_back(TickCount()); });
    // A period of 0 counts as the minimum, so that the timer cannot spin the loop.
    const TimerId fast = loop.SetTimer(0, [&](TimerId) { shortTicks.push_back(TickCount()); });
    ASSERT_NE(id, 0u);
    ASSERT_NE(fast, 0u);
    ASSERT_TRUE(loop.RunUntil([&] { return ticks.size() >= 4; }, kPatienceMs));
    for (std::uint32_t k = 1; k < ticks.size(); ++k) {
        EXPECT_GE(ticks[k] - ticks.front(), k * 30u) << "firing " << k;
    }
    ASSERT_GE(shortTicks.size(), 3u);
    for (std::uint32_t k = 1; k < shortTicks.size(); ++k) {
        EXPECT_GE(shortTicks[k] - shortTicks.front(), k * kMinimumTimerPeriodMs) << "firing " << k;
    }

    EXPECT_TRUE(loop.KillTimer(id));
    EXPECT_TRUE(loop.KillTimer(fast));
    const std::size_t firings = ticks.size();
    EXPECT_EQ(loop.ProcessEvents(60), 0u);
    EXPECT_EQ(ticks.size(), firings);
}

TYPED_TEST(EventLoopContract, CallbacksKillTheirOwnTimerAndOthers) {
    auto& loop = this->m_loop;
    int selfKilled = 0;
    int victim = 0;
    int killer = 0;
    loop.SetTimer(10, [&](TimerId id) {
        ++selfKilled;
        EXPECT_TRUE(loop.KillTimer(id));
    });
    const TimerId victimId = loop.SetTimer(60, [&](TimerId) { ++victim; });
    loop.SetTimer(10, [&](TimerId id) {
        ++killer;
        EXPECT_TRUE(loop.KillTimer(victimId));
        EXPECT_TRUE(loop.KillTimer(id));
        EXPECT_FALSE(loop.KillTimer(victimId));
    });
    ASSERT_TRUE(loop.RunUntil([&] { return selfKilled > 0 && killer > 0; }, kPatienceMs));
    EXPECT_EQ(loop.ProcessEvents(120), 0u);
    EXPECT_EQ(selfKilled, 1);
    EXPECT_EQ(killer, 1);
    EXPECT_EQ(victim, 0);
}

TYPED_TEST(EventLoopContract, TimersKeepFiringWhileACallbackRunsANestedLoop) {
    auto& loop = this->m_loop;
    int inner = 0;
    bool nestedDone = false;
    loop.SetTimer(10, [&](TimerId) { ++inner; });
    loop.SetTimer(10, [&](TimerId id) {
        loop.KillTimer(id);
        nestedDone = loop.RunUntil([&] { return inner >= 3; }, kPatienceMs);
    });
    EXPECT_TRUE(loop.RunUntil([&] { return nestedDone; }, kPatienceMs));
}

TYPED_TEST(EventLoopContract, RunEndsAtQuit) {
    auto& loop = this->m_loop;
    int fired = 0;
    bool expired = false;
    loop.SetTimer(10, [&](TimerId) {
        if (++fired == 3) {
            loop.Quit();
        }
    });
    // Should the Quit above never come.
    loop.SetTimer(kPatienceMs, [&](TimerId) {
        expired = true;
        loop.Quit();
    });
    loop.Run();
    EXPECT_EQ(fired, 3);
    EXPECT_FALSE(expired);
}

TYPED_TEST(EventLoopContract, WaitsEndAtTheirLimitOrTheFirstCallback) {
    auto& loop = this->m_loop;
    auto start = Clock::now();
    EXPECT_EQ(loop.ProcessEvents(40), 0u);
    EXPECT_GE(MillisecondsSince(start), 35);

    start = Clock::now();
    EXPECT_FALSE(loop.RunUntil([] { return false; }, 100));
    EXPECT_GE(MillisecondsSince(start), 100);

    int fired = 0;
    const TimerId id = loop.SetTimer(20, [&](TimerId) { ++fired; });
    EXPECT_EQ(loop.ProcessEvents(-1), 1u) << "without a limit, until the first callback";
    EXPECT_EQ(fired, 1);
    EXPECT_TRUE(loop.RunUntil([&] { return fired == 3; }, kPatienceMs));
    EXPECT_EQ(fired, 3);
    loop.KillTimer(id);
}

TYPED_TEST(EventLoopContract, WatchesFireWhileReadableAndStopAfterUnwatch) {
    auto& loop = this->m_loop;
    Pipe pipe;
    std::vector<int> seen;
    const WatchId id = loop.WatchReadable(pipe.Reader(), [&](int fd) {
        seen.push_back(fd);
        pipe.Drain();
    });
    ASSERT_NE(id, 0u);
    EXPECT_EQ(loop.ProcessEvents(30), 0u);

    pipe.Write();
    EXPECT_EQ(loop.ProcessEvents(kPatienceMs), 1u);
    EXPECT_EQ(seen, std::vector<int>{pipe.Reader()});
    pipe.Write();
    EXPECT_EQ(loop.ProcessEvents(kPatienceMs), 1u);
    EXPECT_EQ(seen.size(), 2u);

    EXPECT_TRUE(loop.Unwatch(id));
    EXPECT_FALSE(loop.Unwatch(id));
    EXPECT_FALSE(loop.Unwatch(0));
    pipe.Write();
    EXPECT_EQ(loop.ProcessEvents(50), 0u);
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_EQ(loop.WatchReadable(-1, [](int) {}), 0u);
    EXPECT_EQ(loop.WatchReadable(pipe.Reader(), {}), 0u);
}

TYPED_TEST(EventLoopContract, WatchesFireAtTheEndOfTheInputAndMayUnwatchThemselves) {
    auto& loop = this->m_loop;
    Pipe pipe;
    int calls = 0;
    bool ended = false;
    WatchId id = 0;
    id = loop.WatchReadable(pipe.Reader(), [&](int fd) {
        ++calls;
        char byte;
        ended = read(fd, &byte, 1) == 0;
        EXPECT_TRUE(loop.Unwatch(id));
    });
    ASSERT_NE(id, 0u);
    pipe.CloseWriter();
    EXPECT_EQ(loop.ProcessEvents(kPatienceMs), 1u);
    EXPECT_TRUE(ended);
    EXPECT_EQ(loop.ProcessEvents(50), 0u);
    EXPECT_EQ(calls, 1);
}

TYPED_TEST(EventLoopContract, WatchesShareADescriptor) {
    auto& loop = this->m_loop;
    Pipe pipe;
    int first = 0;
    int second = 0;
    const WatchId firstId = loop.WatchReadable(pipe.Reader(), [&](int) { ++first; });
    const WatchId secondId = loop.WatchReadable(pipe.Reader(), [&](int) {
        ++second;
        pipe.Drain();
    });
    ASSERT_NE(firstId, 0u);
    ASSERT_NE(secondId, firstId);

    pipe.Write();
    EXPECT_EQ(loop.ProcessEvents(kPatienceMs), 2u);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 1);

    EXPECT_TRUE(loop.Unwatch(firstId));
    pipe.Write();
    EXPECT_EQ(loop.ProcessEvents(kPatienceMs), 1u);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 2);
    EXPECT_TRUE(loop.Unwatch(secondId));
}

TYPED_TEST(EventLoopContract, AWaitEndsWhenDataArrives) {
    auto& loop = this->m_loop;
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

}  // namespace
}  // namespace veltrix::platform
