#include "ui/qt/qt_event_loop.h"

#include <fcntl.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>

#include "platform/tick.h"

namespace veltrix::ui {

using platform::TimerId;
using platform::WatchId;

namespace {

bool IsDue(std::uint32_t dueTick, std::uint32_t now) {
    return static_cast<std::int32_t>(now - dueTick) >= 0;
}

bool HasApplication() {
    return QCoreApplication::instance() != nullptr;
}

}  // namespace

// Marks the delivery of one of the loop's QTimers or QSocketNotifiers: an object killed meanwhile
// may be the one delivering, so it is deleted once Qt is done with it.
class QtEventLoop::DispatchScope {
public:
    explicit DispatchScope(QtEventLoop& loop) : m_loop(loop) { ++m_loop.m_dispatchDepth; }
    ~DispatchScope() { --m_loop.m_dispatchDepth; }
    DispatchScope(const DispatchScope&) = delete;
    DispatchScope& operator=(const DispatchScope&) = delete;

private:
    QtEventLoop& m_loop;
};

QtEventLoop::QtEventLoop() : m_context(std::make_unique<QObject>()) {
    if (HasApplication()) {
        // A thread not started by QThread gets its Qt event dispatcher with its first QEventLoop;
        // QTimer and QSocketNotifier need one.
        QEventLoop ensureDispatcher;
    }
}

QtEventLoop::~QtEventLoop() {
    m_timers.clear();
    m_watches.clear();
    m_notifiers.clear();
    m_context.reset();  // deletes every QTimer and QSocketNotifier of the loop
}

TimerId QtEventLoop::SetTimer(std::uint32_t periodMs, platform::TimerCallback callback) {
    if (!callback || !HasApplication()) {
        return 0;
    }
    auto* qtimer = new QTimer(m_context.get());
    qtimer->setSingleShot(true);  // re-armed after each check of the tick
    qtimer->setTimerType(Qt::PreciseTimer);
    const TimerId id = platform::NewTimerId();
    QObject::connect(qtimer, &QTimer::timeout, m_context.get(), [this, id] { OnTimer(id); });

    Timer& timer = m_timers[id];
    timer.periodMs = std::max(periodMs, platform::kMinimumTimerPeriodMs);
    const std::uint32_t now = platform::TickCount();
    timer.dueTick = now + timer.periodMs;
    timer.callback = std::make_shared<platform::TimerCallback>(std::move(callback));
    timer.qtimer = qtimer;
    Arm(timer, now);
    if (!qtimer->isActive()) {  // the thread has no Qt event dispatcher
        KillTimer(id);
        return 0;
    }
    return id;
}

bool QtEventLoop::KillTimer(TimerId id) {
    auto it = m_timers.find(id);
    if (it == m_timers.end()) {
        return false;
    }
    QTimer* qtimer = it->second.qtimer;
    m_timers.erase(it);
    qtimer->stop();
    Dispose(qtimer);
    return true;
}

// The QTimer wakes at the due tick, or sooner while the clock file may move it closer.
void QtEventLoop::Arm(Timer& timer, std::uint32_t now) {
    const std::int32_t left = static_cast<std::int32_t>(timer.dueTick - now);
    int interval = std::max<std::int32_t>(left, 0);
    if (platform::ClockIsMovable()) {
        interval = std::min(interval, kMovableClockRecheckMs);
    }
    timer.qtimer->start(interval);
}

void QtEventLoop::OnTimer(TimerId id) {
    DispatchScope scope(*this);
    auto it = m_timers.find(id);
    if (it == m_timers.end()) {
        return;
    }
    const std::uint32_t now = platform::TickCount();
    if (!IsDue(it->second.dueTick, now)) {
        Arm(it->second, now);
        return;
    }
    FireTimer(id, now);
}

void QtEventLoop::FireTimer(TimerId id, std::uint32_t now) {
    Timer& timer = m_timers.at(id);
    // One firing however many periods passed; the next one is a full period away. The timer is
    // re-armed first so that it keeps running while its callback runs a nested loop.
    timer.dueTick = now + timer.periodMs;
    Arm(timer, now);
    auto callback = timer.callback;
    ++m_callbacksRun;
    (*callback)(id);
}

// Timers the moved clock made due before their QTimer looked at it.
void QtEventLoop::DispatchDueTimers() {
    const std::uint32_t now = platform::TickCount();
    std::vector<TimerId> due;
    for (const auto& [id, timer] : m_timers) {
        if (IsDue(timer.dueTick, now)) {
            due.push_back(id);
        }
    }
    for (TimerId id : due) {
        if (m_timers.count(id) != 0) {  // an earlier callback may have killed it
            FireTimer(id, now);
        }
    }
}

WatchId QtEventLoop::WatchReadable(int fd, platform::ReadableCallback callback) {
    if (fd < 0 || !callback || !HasApplication() || fcntl(fd, F_GETFD) == -1) {
        return 0;
    }
    auto [slot, added] = m_notifiers.try_emplace(fd, nullptr);
    if (added) {
        auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, m_context.get());
        QObject::connect(notifier, &QSocketNotifier::activated, m_context.get(),
                         [this, fd] { OnReadable(fd); });
        slot->second = notifier;
    }
    const WatchId id = platform::NewWatchId();
    m_watches[id] = Watch{fd, std::make_shared<platform::ReadableCallback>(std::move(callback))};
    return id;
}

bool QtEventLoop::Unwatch(WatchId id) {
    auto it = m_watches.find(id);
    if (it == m_watches.end()) {
        return false;
    }
    const int fd = it->second.fd;
    m_watches.erase(it);
    const bool shared = std::any_of(m_watches.begin(), m_watches.end(),
                                    [fd](const auto& entry) { return entry.second.fd == fd; });
    if (!shared) {
        auto notifier = m_notifiers.find(fd);
        QSocketNotifier* object = notifier->second;
        m_notifiers.erase(notifier);
        object->setEnabled(false);
        Dispose(object);
    }
    return true;
}

void QtEventLoop::OnReadable(int fd) {
    DispatchScope scope(*this);
    std::vector<WatchId> ids;
    for (const auto& [id, watch] : m_watches) {
        if (watch.fd == fd) {
            ids.push_back(id);
        }
    }
    for (WatchId id : ids) {
        auto it = m_watches.find(id);
        if (it == m_watches.end()) {
            continue;  // removed by an earlier callback
        }
        auto callback = it->second.callback;
        ++m_callbacksRun;
        (*callback)(fd);
    }
}

void QtEventLoop::Dispose(QObject* object) {
    QObject::disconnect(object, nullptr, nullptr, nullptr);
    if (m_dispatchDepth > 0) {
        object->deleteLater();
    } else {
        delete object;
    }
}

std::size_t QtEventLoop::ProcessEvents(int maxWaitMs) {
    if (!HasApplication()) {
        return 0;
    }
    const std::size_t before = m_callbacksRun;
    DispatchDueTimers();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (m_callbacksRun != before || maxWaitMs == 0) {
        return m_callbacksRun - before;
    }
    // Waiting for events returns after any event of the thread; the deadline is one of them.
    bool expired = false;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, [&expired] { expired = true; });
    if (maxWaitMs > 0) {
        deadline.start(maxWaitMs);
    }
    while (m_callbacksRun == before && !expired) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return m_callbacksRun - before;
}

void QtEventLoop::Run() {
    if (!HasApplication()) {
        return;
    }
    QEventLoop loop;
    m_running.push_back(&loop);
    loop.exec();
    m_running.pop_back();
}

void QtEventLoop::Quit() {
    if (!m_running.empty()) {
        m_running.back()->quit();
    }
}

std::unique_ptr<platform::IEventLoop> MakeQtEventLoop() {
    if (!HasApplication()) {
        return nullptr;
    }
    return std::make_unique<QtEventLoop>();
}

QtEventLoopScope::QtEventLoopScope() {
    platform::SetEventLoopFactory(&MakeQtEventLoop);
}

QtEventLoopScope::~QtEventLoopScope() {
    platform::SetEventLoopFactory({});
}

}  // namespace veltrix::ui
