// The loop of each thread and the factory that makes it. What every event loop keeps,
// SimpleEventLoop's timers and watches included, is in event_loop_contract_test.cpp.
#include "platform/event_loop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/support/moved_clock.h"
#include "tests/support/test_environment.h"

namespace veltrix::platform {
namespace {

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
