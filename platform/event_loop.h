// The event loop of a thread: periodic timers and read watches on file descriptors, in place of
// the thread timers and message loop of the original platform.
//
// Every thread has its own loop (`ThreadEventLoop()`); callbacks run on that thread, and only
// while it pumps the loop. A loop object is used by its own thread only. GUI programs install a
// factory so that the loop of each thread is the toolkit's; everything else gets SimpleEventLoop.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

namespace veltrix::platform {

using TimerId = std::uint32_t;  // never 0; unique within the process
using WatchId = std::uint32_t;  // never 0; unique within the process
using TimerCallback = std::function<void(TimerId)>;
using ReadableCallback = std::function<void(int fd)>;

// Periods shorter than this count as this, so that a timer cannot spin the loop.
inline constexpr std::uint32_t kMinimumTimerPeriodMs = 10;

class IEventLoop {
public:
    virtual ~IEventLoop() = default;

    // Starts a periodic timer: `callback` runs with the timer's id every `periodMs` milliseconds
    // of TickCount(), counted from the start and then from each firing. Returns the id (never 0),
    // or 0 when the timer cannot be started.
    virtual TimerId SetTimer(std::uint32_t periodMs, TimerCallback callback) = 0;
    // Stops a timer of this loop; false for an id this loop does not run (an unknown id, one
    // already killed, or a timer of another thread). A callback may kill its own timer.
    virtual bool KillTimer(TimerId id) = 0;

    // Calls `callback` whenever `fd` is readable, or at its end or on an error. The loop neither
    // reads nor closes the descriptor; unwatch it before closing it.
    virtual WatchId WatchReadable(int fd, ReadableCallback callback) = 0;
    virtual bool Unwatch(WatchId id) = 0;

    // Runs the callbacks of every due timer and ready descriptor, waiting at most `maxWaitMs`
    // (negative: without limit) for the first of them. Returns how many callbacks ran.
    virtual std::size_t ProcessEvents(int maxWaitMs) = 0;
    // Processes events until Quit() is called (from a callback).
    virtual void Run() = 0;
    virtual void Quit() = 0;

    // Processes events until `done` holds or `timeoutMs` of real time passed; returns `done()`.
    bool RunUntil(const std::function<bool()>& done, int timeoutMs);
};

// The loop of our own, built on poll(2).
class SimpleEventLoop : public IEventLoop {
public:
    SimpleEventLoop() = default;
    SimpleEventLoop(const SimpleEventLoop&) = delete;
    SimpleEventLoop& operator=(const SimpleEventLoop&) = delete;

    TimerId SetTimer(std::uint32_t periodMs, TimerCallback callback) override;
    bool KillTimer(TimerId id) override;
    WatchId WatchReadable(int fd, ReadableCallback callback) override;
    bool Unwatch(WatchId id) override;
    std::size_t ProcessEvents(int maxWaitMs) override;
    void Run() override;
    void Quit() override;

private:
    struct Timer {
        std::uint32_t periodMs = 0;
        std::uint32_t dueTick = 0;
        std::shared_ptr<TimerCallback> callback;
    };
    struct Watch {
        int fd = -1;
        std::shared_ptr<ReadableCallback> callback;
    };

    int PollTimeout(int maxWaitMs) const;
    std::size_t DispatchReadable(int maxWaitMs);
    std::size_t DispatchDueTimers();

    std::map<TimerId, Timer> m_timers;
    std::map<WatchId, Watch> m_watches;
    bool m_quit = false;
};

using EventLoopFactory = std::function<std::unique_ptr<IEventLoop>()>;

// The calling thread's loop, created at its first use (by the factory when one is installed).
IEventLoop& ThreadEventLoop();

// Installs the factory that creates the loop of each thread from now on (an empty function
// restores SimpleEventLoop). Threads that already have a loop keep it.
void SetEventLoopFactory(EventLoopFactory factory);

// Ids for implementations of IEventLoop: unique within the process, never 0.
TimerId NewTimerId();
WatchId NewWatchId();

}  // namespace veltrix::platform
