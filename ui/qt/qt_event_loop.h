// The event loop of a thread in a Qt program: timers are QTimers and descriptor watches are
// QSocketNotifiers of the thread's Qt event loop, so they run whether the thread pumps this loop
// or Qt's own (QApplication::exec, a modal dialog). This header includes no Qt header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "platform/event_loop.h"

class QEventLoop;
class QObject;
class QSocketNotifier;
class QTimer;

namespace veltrix::ui {

// While VELTRIX_CLOCK_FILE is set, timers look at the tick at least this often, so that a timer
// the moved clock made due fires within this time.
inline constexpr int kMovableClockRecheckMs = 20;

// Create it on the thread that uses it, while a QCoreApplication exists; without one it starts
// no timer or watch and processes nothing.
class QtEventLoop : public platform::IEventLoop {
public:
    QtEventLoop();
    ~QtEventLoop() override;
    QtEventLoop(const QtEventLoop&) = delete;
    QtEventLoop& operator=(const QtEventLoop&) = delete;

    platform::TimerId SetTimer(std::uint32_t periodMs, platform::TimerCallback callback) override;
    bool KillTimer(platform::TimerId id) override;
    // Refuses (returns 0) a descriptor that is not open. Several watches may share a descriptor.
    platform::WatchId WatchReadable(int fd, platform::ReadableCallback callback) override;
    bool Unwatch(platform::WatchId id) override;
    // Processes the thread's Qt events (QCoreApplication::processEvents), all of them, not only
    // this loop's; the count is of this loop's callbacks.
    std::size_t ProcessEvents(int maxWaitMs) override;
    // A QEventLoop that Quit() ends; Run may nest, Quit ends the innermost.
    void Run() override;
    void Quit() override;

private:
    struct Timer {
        std::uint32_t periodMs = 0;
        std::uint32_t dueTick = 0;
        std::shared_ptr<platform::TimerCallback> callback;
        QTimer* qtimer = nullptr;  // a child of m_context
    };
    struct Watch {
        int fd = -1;
        std::shared_ptr<platform::ReadableCallback> callback;
    };
    class DispatchScope;

    void Arm(Timer& timer, std::uint32_t now);
    void OnTimer(platform::TimerId id);
    void FireTimer(platform::TimerId id, std::uint32_t now);
    void DispatchDueTimers();
    void OnReadable(int fd);
    void Dispose(QObject* object);

    // Parent of every QTimer and QSocketNotifier of the loop, and the context of their
    // connections: deleting it ends them all.
    std::unique_ptr<QObject> m_context;
    std::map<platform::TimerId, Timer> m_timers;
    std::map<platform::WatchId, Watch> m_watches;
    std::map<int, QSocketNotifier*>
        m_notifiers;                     // one per watched descriptor, children of m_context
    std::vector<QEventLoop*> m_running;  // the nested Run() calls, innermost last
    std::size_t m_callbacksRun = 0;
    int m_dispatchDepth = 0;  // > 0 while a QTimer or QSocketNotifier of the loop is delivering
};

// A QtEventLoop for the calling thread; null without a QCoreApplication.
std::unique_ptr<platform::IEventLoop> MakeQtEventLoop();

// Makes every thread that first asks for its loop (platform::ThreadEventLoop) while the scope
// lives get a QtEventLoop (a SimpleEventLoop when no QCoreApplication exists then). A Qt program
// creates one in main, after its QApplication and before anything uses a loop. Afterwards new
// threads get a SimpleEventLoop again; threads keep the loop they have.
class QtEventLoopScope {
public:
    QtEventLoopScope();
    ~QtEventLoopScope();
    QtEventLoopScope(const QtEventLoopScope&) = delete;
    QtEventLoopScope& operator=(const QtEventLoopScope&) = delete;
};

}  // namespace veltrix::ui
