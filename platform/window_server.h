// Serves the windows of one thread: accepts connections on their endpoints, reads each request
// and runs the window's handler. It is driven by the thread's event loop, and by SendMessage,
// which services the same descriptors while it waits for a reply.
//
// Requests are handled in the order their connections arrived, like the one message queue of a
// thread: a sender writes its request right after connecting, so a request that arrived later
// may be complete before an earlier one, and then waits for it. A connection whose request does
// not arrive within kRequestArrivalMs is dropped, so that it cannot hold up the others.
// While the thread waits in SendMessage only sent messages are handled; posted ones stay queued
// until the event loop runs again.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <vector>

#include "platform/event_loop.h"
#include "platform/unique_fd.h"
#include "platform/window_frames.h"
#include "platform/winmsg.h"

namespace veltrix::platform {

// A connection must deliver its request within this long after it was accepted.
inline constexpr int kRequestArrivalMs = 2000;
// How often overdue requests are looked for while connections wait.
inline constexpr std::uint32_t kStallCheckMs = 500;

enum class Handling {
    All,       // from the event loop
    SentOnly,  // from a thread that waits for the reply to its own SendMessage
};

class WindowServer {
public:
    // The server of the calling thread.
    static WindowServer& ForThisThread();

    WindowServer() = default;
    ~WindowServer();
    WindowServer(const WindowServer&) = delete;
    WindowServer& operator=(const WindowServer&) = delete;

    // Starts serving a window whose endpoint listens on `listenFd` (non-blocking); the caller keeps
    // owning the descriptor and closes it after Remove.
    void Add(WindowHandle handle, int listenFd, MessageHandler handler);
    // Stops serving the window and drops the connections that wait for it.
    void Remove(WindowHandle handle);
    // The handler of a window of this thread; null for any other handle.
    std::shared_ptr<MessageHandler> HandlerOf(WindowHandle handle) const;

    // The descriptors that become readable when a message arrives, and the work to do then.
    std::vector<int> Descriptors() const;
    void Service(int fd, Handling handling);
    // True while connections wait; ExpireStalled should then run now and then.
    bool HasWaiting() const { return !m_arrivals.empty(); }
    // Drops the connections whose request is overdue, and handles what they held up.
    void ExpireStalled(Handling handling);

private:
    struct Served {
        int listenFd = -1;
        WatchId watch = 0;
        std::shared_ptr<MessageHandler> handler;
    };
    struct Pending {
        UniqueFd connection;  // closed when the request is done with
        WindowHandle handle = 0;
        WatchId watch = 0;
        std::vector<std::uint8_t> buffer;
        std::chrono::steady_clock::time_point accepted;
        bool Complete() const { return buffer.size() == kRequestFrameSize; }
    };

    void AcceptAll(int listenFd, WindowHandle handle);
    // Reads what arrived of a request; drops the connection at its end.
    void Read(int fd);
    void DispatchInOrder(Handling handling);
    void Dispatch(int fd, WindowHandle handle, const MessageRequest& request);
    void Drop(int fd);
    void UpdateStallTimer();

    std::map<WindowHandle, Served> m_windows;
    std::map<int, WindowHandle> m_listeners;
    std::map<int, Pending> m_pending;
    std::deque<int> m_arrivals;  // pending connections in the order they were accepted
    TimerId m_stallTimer = 0;
    std::uint32_t m_stallTimerPeriod = 0;
};

}  // namespace veltrix::platform
