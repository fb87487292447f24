// QtEventLoop: timers by the tick (the moved clock too), descriptor watches, bounded waits, the
// factory scope for the threads of a Qt program, and the plugin's loop export.
#include "ui/qt/qt_event_loop.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QEventLoop>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <thread>
#include <vector>

#include "browserui/qt/qt_ui_plugin.h"
#include "platform/tick.h"
#include "tests/support/moved_clock.h"
#include "tests/support/test_environment.h"
#include "tests/support/test_pipe.h"

namespace veltrix::ui {
namespace {

using platform::IEventLoop;
using platform::TimerId;
using platform::WatchId;
using Clock = std::chrono::steady_clock;

// A bound for what must happen soon, far above any period used here.
constexpr int kPatienceMs = 5000;

using test::MillisecondsSince;

using test::Pipe;

// Ends Run() of `loop` after kPatienceMs should the test's own Quit never come.
class RunGuard {
public:
    explicit RunGuard(IEventLoop& loop) {
        QTimer::singleShot(kPatienceMs, &context_, [this, &loop] {
            expired_ = true;
            loop.Quit();
        });
    }
    bool Expired() const { return expired_; }

private:
    QObject context_;
    bool expired_ = false;
};

TEST(QtEventLoopTimers, FirePeriodicallyUntilKilled) {
    QtEventLoop loop;
    std::vector<TimerId> fired;
    const TimerId id = loop.SetTimer(15, [&](TimerId which) { fired.push_back(which); });
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(loop.RunUntil([&] { return fired.size() >= 3; }, kPatienceMs));
    EXPECT_EQ(fired, std::vector<TimerId>(fired.size(), id));

    EXPECT_TRUE(loop.KillTimer(id));
    const std::size_t firings = fired.size();
    EXPECT_EQ(loop.ProcessEvents(60), 0u);
    EXPECT_EQ(fired.size(), firings);
    EXPECT_FALSE(loop.KillTimer(id));
}

TEST(QtEventLoopTimers, WaitAFullPeriodOfTheTickBetweenFirings) {
    QtEventLoop loop;
    std::vector<std::uint32_t> ticks{platform::TickCount()};
    std::vector<std::uint32_t> shortTicks{ticks.front()};
    const TimerId id = loop.SetTimer(30, [&](TimerId) { ticks.push_back(platform::TickCount()); });
    // A period of 0 counts as the minimum, so that the timer cannot spin the loop.
    const TimerId fast =
        loop.SetTimer(0, [&](TimerId) { shortTicks.push_back(platform::TickCount()); });
    ASSERT_NE(id, 0u);
    ASSERT_NE(fast, 0u);
    ASSERT_TRUE(loop.RunUntil([&] { return ticks.size() >= 4; }, kPatienceMs));
    for (std::size_t i = 1; i < ticks.size(); ++i) {
        EXPECT_GE(ticks[i] - ticks[i - 1], 30u) << "firing " << i;
    }
    ASSERT_GE(shortTicks.size(), 3u);
    for (std::size_t i = 1; i < shortTicks.size(); ++i) {
        EXPECT_GE(shortTicks[i] - shortTicks[i - 1], platform::kMinimumTimerPeriodMs)
            << "firing " << i;
    }
}

TEST(QtEventLoopTimers, CallbacksKillTheirOwnTimerAndOthers) {
    QtEventLoop loop;
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

TEST(QtEventLoopTimers, BelongToTheLoopThatStartedThem) {
    QtEventLoop first;
    QtEventLoop second;
    int fired = 0;
    const TimerId id = first.SetTimer(10, [&](TimerId) { ++fired; });
    ASSERT_NE(id, 0u);
    EXPECT_NE(second.SetTimer(10, [](TimerId) {}), id);
    EXPECT_FALSE(second.KillTimer(id));
    EXPECT_FALSE(first.KillTimer(0));
    EXPECT_EQ(first.SetTimer(10, {}), 0u);
    EXPECT_TRUE(first.RunUntil([&] { return fired > 0; }, kPatienceMs));
}

TEST(QtEventLoopTimers, KeepFiringWhileACallbackRunsANestedLoop) {
    QtEventLoop loop;
    int inner = 0;
    bool nestedDone = false;
    loop.SetTimer(10, [&](TimerId) { ++inner; });
    loop.SetTimer(10, [&](TimerId id) {
        loop.KillTimer(id);
        nestedDone = loop.RunUntil([&] { return inner >= 3; }, kPatienceMs);
    });
    EXPECT_TRUE(loop.RunUntil([&] { return nestedDone; }, kPatienceMs));
}

// Timers of an hour, made due by moving the clock file.
class QtEventLoopMovedClock : public ::testing::Test {
protected:
    static constexpr std::uint32_t kHourMs = 3600000;

    test::TempFolder folder_;
    test::MovedClock clock_{folder_.Path()};
    QtEventLoop loop_;
};

TEST_F(QtEventLoopMovedClock, TimersFireWhenTheClockReachesTheirTick) {
    std::vector<TimerId> fired;
    const TimerId id = loop_.SetTimer(kHourMs, [&](TimerId which) { fired.push_back(which); });
    ASSERT_NE(id, 0u);
    EXPECT_EQ(loop_.ProcessEvents(50), 0u);

    clock_.Advance(kHourMs - 60000);
    EXPECT_EQ(loop_.ProcessEvents(50), 0u);
    clock_.Advance(60000);
    ASSERT_TRUE(loop_.RunUntil([&] { return !fired.empty(); }, kPatienceMs));
    EXPECT_EQ(fired, std::vector<TimerId>{id});

    // The next period counts from the firing; many periods at once still fire once.
    clock_.Advance(kHourMs / 2);
    EXPECT_EQ(loop_.ProcessEvents(50), 0u);
    clock_.Advance(10 * kHourMs);
    EXPECT_EQ(loop_.ProcessEvents(kPatienceMs), 1u);
    EXPECT_EQ(loop_.ProcessEvents(50), 0u);
    EXPECT_EQ(fired.size(), 2u);
}

TEST_F(QtEventLoopMovedClock, ProcessEventsSeesAMoveAtOnce) {
    int fired = 0;
    loop_.SetTimer(kHourMs, [&](TimerId) { ++fired; });
    clock_.Advance(kHourMs);
    EXPECT_EQ(loop_.ProcessEvents(0), 1u);
    EXPECT_EQ(fired, 1);
}

TEST_F(QtEventLoopMovedClock, QtsOwnLoopFiresAfterAMove) {
    // Only the QTimers run here: Run() is a QEventLoop, which never looks at the tick itself.
    bool fired = false;
    loop_.SetTimer(kHourMs, [&](TimerId id) {
        fired = true;
        loop_.KillTimer(id);
        loop_.Quit();
    });
    QObject context;
    QTimer::singleShot(30, &context, [this] { clock_.Advance(kHourMs); });
    RunGuard guard(loop_);
    loop_.Run();
    EXPECT_TRUE(fired);
    EXPECT_FALSE(guard.Expired());
}

TEST(QtEventLoopWatches, FireWhileReadableAndStopAfterUnwatch) {
    Pipe pipe;
    QtEventLoop loop;
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
    pipe.Write();
    EXPECT_EQ(loop.ProcessEvents(50), 0u);
    EXPECT_EQ(seen.size(), 2u);
}

TEST(QtEventLoopWatches, FireAtTheEndOfTheStreamAndUnwatchFromTheirCallback) {
    Pipe pipe;
    QtEventLoop loop;
    int calls = 0;
    WatchId id = 0;
    id = loop.WatchReadable(pipe.Reader(), [&](int) {
        ++calls;
        EXPECT_TRUE(loop.Unwatch(id));
    });
    ASSERT_NE(id, 0u);
    pipe.CloseWriter();
    EXPECT_EQ(loop.ProcessEvents(kPatienceMs), 1u);
    EXPECT_EQ(loop.ProcessEvents(50), 0u);
    EXPECT_EQ(calls, 1);
}

TEST(QtEventLoopWatches, ShareADescriptor) {
    Pipe pipe;
    QtEventLoop loop;
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

TEST(QtEventLoopWatches, RefuseWhatCannotBeWatched) {
    QtEventLoop loop;
    int closedFd = -1;
    {
        Pipe pipe;
        closedFd = pipe.Reader();
        EXPECT_EQ(loop.WatchReadable(pipe.Reader(), {}), 0u);
    }
    EXPECT_EQ(loop.WatchReadable(closedFd, [](int) {}), 0u);
    EXPECT_EQ(loop.WatchReadable(-1, [](int) {}), 0u);
    EXPECT_FALSE(loop.Unwatch(0));
}

TEST(QtEventLoopWaiting, ProcessEventsWaitsAtMostItsLimit) {
    QtEventLoop loop;
    const auto start = Clock::now();
    EXPECT_EQ(loop.ProcessEvents(40), 0u);
    EXPECT_GE(MillisecondsSince(start), 35);
}

TEST(QtEventLoopWaiting, ProcessEventsWithoutLimitReturnsAfterTheFirstCallback) {
    QtEventLoop loop;
    int fired = 0;
    loop.SetTimer(20, [&](TimerId) { ++fired; });
    EXPECT_EQ(loop.ProcessEvents(-1), 1u);
    EXPECT_EQ(fired, 1);
}

TEST(QtEventLoopWaiting, RunUntilStopsAtItsConditionOrItsTimeout) {
    QtEventLoop loop;
    int fired = 0;
    const TimerId id = loop.SetTimer(10, [&](TimerId) { ++fired; });
    EXPECT_TRUE(loop.RunUntil([&] { return fired == 2; }, kPatienceMs));
    EXPECT_EQ(fired, 2);
    loop.KillTimer(id);

    const auto start = Clock::now();
    EXPECT_FALSE(loop.RunUntil([] { return false; }, 60));
    EXPECT_GE(MillisecondsSince(start), 60);
}

TEST(QtEventLoopWaiting, RunEndsAtQuit) {
    QtEventLoop loop;
    int fired = 0;
    loop.SetTimer(10, [&](TimerId) {
        if (++fired == 3) {
            loop.Quit();
        }
    });
    RunGuard guard(loop);
    loop.Run();
    EXPECT_EQ(fired, 3);
    EXPECT_FALSE(guard.Expired());
}

TEST(QtEventLoopWaiting, RunsUnderAnyQtEventLoopOfTheThread) {
    QtEventLoop loop;
    QEventLoop qtLoop;
    int fired = 0;
    loop.SetTimer(10, [&](TimerId id) {
        ++fired;
        loop.KillTimer(id);
        qtLoop.quit();
    });
    QObject context;
    QTimer::singleShot(kPatienceMs, &context, [&] { qtLoop.quit(); });
    qtLoop.exec();
    EXPECT_EQ(fired, 1);
}

// Runs a 10 ms timer on `loop` in the calling thread; true when it fired on that thread.
bool TimerFiresOnThisThread(IEventLoop& loop) {
    std::thread::id firedOn;
    loop.SetTimer(10, [&](TimerId id) {
        firedOn = std::this_thread::get_id();
        loop.KillTimer(id);
    });
    return loop.RunUntil([&] { return firedOn != std::thread::id(); }, kPatienceMs) &&
           firedOn == std::this_thread::get_id();
}

TEST(QtEventLoopScope, ThreadsStartedMeanwhileGetAQtLoop) {
    {
        QtEventLoopScope scope;
        std::thread worker([] {
            auto* loop = dynamic_cast<QtEventLoop*>(&platform::ThreadEventLoop());
            ASSERT_NE(loop, nullptr);
            EXPECT_EQ(loop, &platform::ThreadEventLoop());
            EXPECT_TRUE(TimerFiresOnThisThread(*loop));
        });
        worker.join();
    }
    std::thread later(
        [] { EXPECT_EQ(dynamic_cast<QtEventLoop*>(&platform::ThreadEventLoop()), nullptr); });
    later.join();
}

TEST(QtEventLoopPlugin, ExportsTheCallingThreadsLoop) {
    void* handle =
        dlopen((test::ProgramFolder() / browserui::kQtUiPluginFile).c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    auto plugin =
        reinterpret_cast<browserui::QtUiPluginEntry>(dlsym(handle, browserui::kQtUiPluginEntry));
    ASSERT_NE(plugin, nullptr);
    auto* const entry = plugin()->threadEventLoop;
    ASSERT_NE(entry, nullptr);
    IEventLoop* loop = entry();
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(entry(), loop);
    EXPECT_TRUE(TimerFiresOnThisThread(*loop));

    std::thread worker([&] {
        IEventLoop* theirs = entry();
        ASSERT_NE(theirs, nullptr);
        EXPECT_NE(theirs, loop);
        EXPECT_EQ(entry(), theirs);
        EXPECT_TRUE(TimerFiresOnThisThread(*theirs));
    });
    worker.join();
    dlclose(handle);
}

}  // namespace
}  // namespace veltrix::ui
