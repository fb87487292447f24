// What QtEventLoop alone offers: Qt's own loops drive its timers, descriptors are checked, the
// factory scope for the threads of a Qt program, and the plugin's loop export. What every event
// loop keeps is in tests/platform/event_loop_contract_test.cpp.
#include "ui/qt/qt_event_loop.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QEventLoop>
#include <QObject>
#include <QTimer>
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

// A bound for what must happen soon, far above any period used here.
constexpr int kPatienceMs = 5000;

using test::Pipe;

// Ends Run() of `loop` after kPatienceMs should the test's own Quit never come.
class RunGuard {
public:
    explicit RunGuard(IEventLoop& loop) {
        QTimer::singleShot(kPatienceMs, &m_context, [this, &loop] {
            m_expired = true;
            loop.Quit();
        });
    }
    bool Expired() const { return m_expired; }

private:
    QObject m_context;
    bool m_expired = false;
};

// Timers of an hour, made due by moving the clock file.
class QtEventLoopMovedClock : public ::testing::Test {
protected:
    static constexpr std::uint32_t kHourMs = 3600000;

    test::TempFolder m_folder;
    test::MovedClock m_clock{m_folder.Path()};
    QtEventLoop m_loop;
};

TEST_F(QtEventLoopMovedClock, QtsOwnLoopFiresAfterAMove) {
    // Only the QTimers run here: Run() is a QEventLoop, which never looks at the tick itself.
    bool fired = false;
    m_loop.SetTimer(kHourMs, [&](TimerId id) {
        fired = true;
        m_loop.KillTimer(id);
        m_loop.Quit();
    });
    QObject context;
    QTimer::singleShot(30, &context, [this] { m_clock.Advance(kHourMs); });
    RunGuard guard(m_loop);
    m_loop.Run();
    EXPECT_TRUE(fired);
    EXPECT_FALSE(guard.Expired());
}

TEST(QtEventLoopWatches, RefuseADescriptorThatIsNotOpen) {
    QtEventLoop loop;
    int closedFd = -1;
    {
        Pipe pipe;
        closedFd = pipe.Reader();
        EXPECT_EQ(loop.WatchReadable(pipe.Reader(), {}), 0u);
    }
    EXPECT_EQ(loop.WatchReadable(closedFd, [](int) {}), 0u);
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
