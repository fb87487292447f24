#include "platform/event_loop.h"

#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <vector>

#include "platform/host_services.h"
#include "platform/tick.h"

namespace veltrix::platform {
namespace {

// While the clock may be moved by a file, a wait never lasts longer than this, so that a timer
// made due by a move fires promptly.
constexpr int kMovableClockPollMs = 20;
// RunUntil re-checks its condition at least this often.
constexpr int kRunUntilSliceMs = 10;

// Ids start at a value that differs between processes, so that an id stored by one process (the
// session keeps its idle timer's id in shared memory) rarely names a timer of another.
std::uint32_t InitialId() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint32_t>(getpid()) * 2654435761u ^
           static_cast<std::uint32_t>(now.tv_nsec);
}

std::uint32_t NextNonZero(std::atomic<std::uint32_t>& counter) {
    std::uint32_t id = 0;
    while (id == 0) {
        id = counter.fetch_add(1, std::memory_order_relaxed) + 1;
    }
    return id;
}

bool IsDue(std::uint32_t dueTick, std::uint32_t now) {
    return static_cast<std::int32_t>(now - dueTick) >= 0;
}

struct FactoryHolder {
    std::mutex mutex;
    EventLoopFactory factory;
};

FactoryHolder& Factory() {
    static FactoryHolder holder;
    return holder;
}

std::unique_ptr<IEventLoop> CreateLoop() {
    EventLoopFactory factory;
    {
        std::lock_guard lock(Factory().mutex);
        factory = Factory().factory;
    }
    if (factory) {
        if (auto loop = factory()) {
            return loop;
        }
    }
    return std::make_unique<SimpleEventLoop>();
}

}  // namespace

TimerId NewTimerId() {
    static std::atomic<std::uint32_t> counter{InitialId()};
    return NextNonZero(counter);
}

WatchId NewWatchId() {
    static std::atomic<std::uint32_t> counter{InitialId()};
    return NextNonZero(counter);
}

bool IEventLoop::RunUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            return done();
        }
        ProcessEvents(static_cast<int>(std::min<long long>(left, kRunUntilSliceMs)));
    }
    return true;
}

TimerId SimpleEventLoop::SetTimer(std::uint32_t periodMs, TimerCallback callback) {
    if (!callback) {
        return 0;
    }
    const TimerId id = NewTimerId();
    Timer timer;
    timer.periodMs = std::max(periodMs, kMinimumTimerPeriodMs);
    timer.dueTick = TickCount() + timer.periodMs;
    timer.callback = std::make_shared<TimerCallback>(std::move(callback));
    m_timers[id] = std::move(timer);
    return id;
}

bool SimpleEventLoop::KillTimer(TimerId id) {
    return m_timers.erase(id) != 0;
}

WatchId SimpleEventLoop::WatchReadable(int fd, ReadableCallback callback) {
    if (fd < 0 || !callback) {
        return 0;
    }
    const WatchId id = NewWatchId();
    m_watches[id] = Watch{fd, std::make_shared<ReadableCallback>(std::move(callback))};
    return id;
}

bool SimpleEventLoop::Unwatch(WatchId id) {
    return m_watches.erase(id) != 0;
}

int SimpleEventLoop::PollTimeout(int maxWaitMs) const {
    long long wait = maxWaitMs < 0 ? -1 : maxWaitMs;
    if (!m_timers.empty()) {
        const std::uint32_t now = TickCount();
        for (const auto& [id, timer] : m_timers) {
            const std::int32_t left = static_cast<std::int32_t>(timer.dueTick - now);
            const long long untilDue = std::max<std::int32_t>(left, 0);
            wait = wait < 0 ? untilDue : std::min(wait, untilDue);
        }
    }
    if (ClockIsMovable() && (wait < 0 || wait > kMovableClockPollMs)) {
        wait = kMovableClockPollMs;
    }
    return static_cast<int>(wait);
}

std::size_t SimpleEventLoop::DispatchReadable(int timeoutMs) {
    std::vector<pollfd> fds;
    std::vector<WatchId> ids;
    for (const auto& [id, watch] : m_watches) {
        fds.push_back(pollfd{watch.fd, POLLIN, 0});
        ids.push_back(id);
    }
    if (poll(fds.data(), fds.size(), timeoutMs) <= 0) {
        return 0;
    }
    std::size_t ran = 0;
    for (std::size_t i = 0; i < fds.size(); ++i) {
        if (fds[i].revents == 0) {
            continue;
        }
        // An earlier callback may have removed or replaced this watch.
        auto it = m_watches.find(ids[i]);
        if (it == m_watches.end() || it->second.fd != fds[i].fd) {
            continue;
        }
        if ((fds[i].revents & POLLNVAL) != 0) {
            // The descriptor was closed without unwatching it: it can never become readable.
            m_watches.erase(it);
            continue;
        }
        auto callback = it->second.callback;
        (*callback)(fds[i].fd);
        ++ran;
    }
    return ran;
}

std::size_t SimpleEventLoop::DispatchDueTimers() {
    const std::uint32_t now = TickCount();
    std::vector<TimerId> due;
    for (const auto& [id, timer] : m_timers) {
        if (IsDue(timer.dueTick, now)) {
            due.push_back(id);
        }
    }
    std::size_t ran = 0;
    for (TimerId id : due) {
        auto it = m_timers.find(id);
        if (it == m_timers.end()) {
            continue;  // killed by an earlier callback
        }
        // One firing however many periods passed; the next one is a full period away.
        it->second.dueTick = now + it->second.periodMs;
        auto callback = it->second.callback;
        (*callback)(id);
        ++ran;
    }
    return ran;
}

std::size_t SimpleEventLoop::ProcessEvents(int maxWaitMs) {
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        int waited = 0;
        if (maxWaitMs >= 0) {
            waited = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now() - start)
                                          .count());
        }
        const int left = maxWaitMs < 0 ? -1 : std::max(maxWaitMs - waited, 0);
        std::size_t ran = DispatchReadable(PollTimeout(left));
        ran += DispatchDueTimers();
        if (ran != 0 || left == 0) {
            return ran;
        }
    }
}

void SimpleEventLoop::Run() {
    m_quit = false;
    while (!m_quit) {
        ProcessEvents(-1);
    }
    m_quit = false;
}

void SimpleEventLoop::Quit() {
    m_quit = true;
}

IEventLoop& ThreadEventLoop() {
    if (const HostServices* host = HostServicesInUse()) {
        return *host->threadEventLoop();
    }
    thread_local std::unique_ptr<IEventLoop> loop = CreateLoop();
    return *loop;
}

void SetEventLoopFactory(EventLoopFactory factory) {
    std::lock_guard lock(Factory().mutex);
    Factory().factory = std::move(factory);
}

}  // namespace veltrix::platform
