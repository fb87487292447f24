#include "platform/window_server.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace veltrix::platform {
WindowServer& WindowServer::ForThisThread() {
    thread_local WindowServer server;
    return server;
}

// At thread exit the event loop may already be gone: only the connections are closed, with the
// pending requests that own them.
WindowServer::~WindowServer() = default;

void WindowServer::Add(WindowHandle handle, int listenFd, MessageHandler handler) {
    Served served;
    served.listenFd = listenFd;
    served.handler = std::make_shared<MessageHandler>(std::move(handler));
    served.watch =
        ThreadEventLoop().WatchReadable(listenFd, [this](int fd) { Service(fd, Handling::All); });
    m_windows[handle] = std::move(served);
    m_listeners[listenFd] = handle;
}

void WindowServer::Remove(WindowHandle handle) {
    auto it = m_windows.find(handle);
    if (it == m_windows.end()) {
        return;
    }
    ThreadEventLoop().Unwatch(it->second.watch);
    m_listeners.erase(it->second.listenFd);
    m_windows.erase(it);
    std::vector<int> waiting;
    for (const auto& [fd, pending] : m_pending) {
        if (pending.handle == handle) {
            waiting.push_back(fd);
        }
    }
    for (int fd : waiting) {
        Drop(fd);
    }
    // Requests of other windows this one held up are handled from the loop, not from here.
    UpdateStallTimer();
}

std::shared_ptr<MessageHandler> WindowServer::HandlerOf(WindowHandle handle) const {
    auto it = m_windows.find(handle);
    return it != m_windows.end() ? it->second.handler : nullptr;
}

std::vector<int> WindowServer::Descriptors() const {
    std::vector<int> fds;
    for (const auto& [fd, handle] : m_listeners) {
        fds.push_back(fd);
    }
    for (const auto& [fd, pending] : m_pending) {
        if (!pending.Complete()) {
            fds.push_back(fd);
        }
    }
    return fds;
}

void WindowServer::Service(int fd, Handling handling) {
    if (auto it = m_listeners.find(fd); it != m_listeners.end()) {
        AcceptAll(fd, it->second);
    } else if (m_pending.count(fd) != 0) {
        Read(fd);
    }
    DispatchInOrder(handling);
}

void WindowServer::ExpireStalled(Handling handling) {
    const auto limit =
        std::chrono::steady_clock::now() - std::chrono::milliseconds(kRequestArrivalMs);
    std::vector<int> overdue;
    for (int fd : m_arrivals) {
        const Pending& pending = m_pending.at(fd);
        if (!pending.Complete() && pending.accepted < limit) {
            overdue.push_back(fd);
        }
    }
    for (int fd : overdue) {
        Drop(fd);
    }
    DispatchInOrder(handling);
}

void WindowServer::AcceptAll(int listenFd, WindowHandle handle) {
    for (;;) {
        const int fd = accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        Pending pending;
        pending.connection.Reset(fd);
        pending.handle = handle;
        pending.accepted = std::chrono::steady_clock::now();
        pending.watch = ThreadEventLoop().WatchReadable(
            fd, [this](int ready) { Service(ready, Handling::All); });
        m_pending[fd] = std::move(pending);
        m_arrivals.push_back(fd);
        // Senders write their request right after connecting: most are complete already.
        Read(fd);
    }
}

void WindowServer::Read(int fd) {
    Pending& pending = m_pending.at(fd);
    while (!pending.Complete()) {
        std::uint8_t chunk[kRequestFrameSize];
        const ssize_t got = recv(fd, chunk, kRequestFrameSize - pending.buffer.size(), 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0 && errno == EAGAIN) {
            return;
        }
        if (got <= 0) {
            Drop(fd);  // the sender went away (or only checked that the window exists)
            return;
        }
        pending.buffer.insert(pending.buffer.end(), chunk, chunk + got);
    }
    // Complete: nothing more to read; it now only waits for its turn.
    ThreadEventLoop().Unwatch(pending.watch);
    pending.watch = 0;
}

void WindowServer::DispatchInOrder(Handling handling) {
    // A handler may send messages, and this runs again inside it: the queue is looked at afresh
    // after each handler.
    std::size_t next = 0;
    while (next < m_arrivals.size()) {
        const int fd = m_arrivals[next];
        auto it = m_pending.find(fd);
        if (!it->second.Complete()) {
            break;
        }
        const auto request = DecodeRequest(it->second.buffer);
        if (request && handling == Handling::SentOnly && request->kind == MessageKind::Post) {
            ++next;  // stays queued for the event loop
            continue;
        }
        const WindowHandle handle = it->second.handle;
        const UniqueFd connection = std::move(it->second.connection);
        m_arrivals.erase(m_arrivals.begin() + static_cast<std::ptrdiff_t>(next));
        m_pending.erase(it);
        if (request) {
            Dispatch(fd, handle, *request);
        }
        next = 0;
    }
    UpdateStallTimer();
}

void WindowServer::Dispatch(int fd, WindowHandle handle, const MessageRequest& request) {
    MessageReply reply;
    // The handler is held here, so that it may destroy its own window.
    if (auto handler = HandlerOf(handle); handler && request.target == handle) {
        reply.handled = true;
        reply.result = (*handler)(request.message, request.wParam, request.lParam);
    }
    if (request.kind == MessageKind::Send) {
        // Sixteen bytes into a socket nothing was written to yet: this never blocks. A sender that
        // gave up meanwhile makes it fail, which is harmless.
        const auto frame = EncodeReply(reply);
        [[maybe_unused]] ssize_t sent = send(fd, frame.data(), frame.size(), MSG_NOSIGNAL);
    }
}

void WindowServer::Drop(int fd) {
    auto it = m_pending.find(fd);
    if (it == m_pending.end()) {
        return;
    }
    if (it->second.watch != 0) {
        ThreadEventLoop().Unwatch(it->second.watch);
    }
    m_pending.erase(it);  // closes the connection
    m_arrivals.erase(std::find(m_arrivals.begin(), m_arrivals.end(), fd));
}

// While requests wait, a timer makes sure they are taken up even when nothing else happens: soon
// when the first is complete (a window that held it up was destroyed), otherwise now and then, to
// drop a sender that never completes its request.
void WindowServer::UpdateStallTimer() {
    std::uint32_t period = 0;
    if (!m_arrivals.empty()) {
        period =
            m_pending.at(m_arrivals.front()).Complete() ? kMinimumTimerPeriodMs : kStallCheckMs;
    }
    if (period == m_stallTimerPeriod) {
        return;
    }
    if (m_stallTimer != 0) {
        ThreadEventLoop().KillTimer(m_stallTimer);
        m_stallTimer = 0;
    }
    m_stallTimerPeriod = period;
    if (period != 0) {
        m_stallTimer =
            ThreadEventLoop().SetTimer(period, [this](TimerId) { ExpireStalled(Handling::All); });
    }
}

}  // namespace veltrix::platform
