#include "platform/winmsg.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <limits>
#include <random>

#include "platform/host_services.h"
#include "platform/text.h"
#include "platform/unique_fd.h"
#include "platform/window_endpoints.h"
#include "platform/window_frames.h"
#include "platform/window_server.h"

namespace veltrix::platform {
namespace {

using Clock = std::chrono::steady_clock;

// How often a sender retries a peer whose queue of connections is full.
constexpr auto kBusyRetry = std::chrono::milliseconds(5);
constexpr int kHandleAttempts = 64;

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, std::numeric_limits<int>::max()));
}

// Waits for `events` on `fd` (a negative fd: only for the deadline) and serves the calling
// thread's windows meanwhile, so that a peer that sends back to us while we wait is answered.
bool WaitServing(int fd, short events, Clock::time_point deadline) {
    WindowServer& server = WindowServer::ForThisThread();
    for (;;) {
        std::vector<pollfd> fds{pollfd{fd, events, 0}};
        for (int served : server.Descriptors()) {
            fds.push_back(pollfd{served, POLLIN, 0});
        }
        int wait = MillisecondsLeft(deadline);
        if (server.HasWaiting()) {
            wait = std::min(wait, static_cast<int>(kStallCheckMs));
        }
        const int ready = poll(fds.data(), fds.size(), wait);
        if (ready < 0 && errno != EINTR) {
            return false;
        }
        if (fds[0].revents != 0) {
            return true;
        }
        for (std::size_t i = 1; i < fds.size(); ++i) {
            if (fds[i].revents != 0) {
                server.Service(fds[i].fd, Handling::SentOnly);
            }
        }
        server.ExpireStalled(Handling::SentOnly);
        if (Clock::now() >= deadline) {
            return false;
        }
    }
}

UniqueFd ConnectWithin(const EndpointFolder& folder, WindowHandle window,
                       Clock::time_point deadline) {
    for (;;) {
        UniqueFd fd = folder.Connect(window);
        if (fd) {
            return fd;
        }
        if (errno == ECONNREFUSED) {
            folder.Remove(window);  // the owner died and left its endpoint behind
            return {};
        }
        if (errno != EAGAIN || Clock::now() >= deadline) {
            return {};
        }
        WaitServing(-1, 0, std::min(deadline, Clock::now() + kBusyRetry));
    }
}

bool SendAll(int fd, std::span<const std::uint8_t> bytes, Clock::time_point deadline) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t sent = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (sent > 0) {
            done += static_cast<std::size_t>(sent);
        } else if (sent < 0 && errno == EINTR) {
            continue;
        } else if (sent < 0 && errno == EAGAIN) {
            if (!WaitServing(fd, POLLOUT, deadline)) {
                return false;
            }
        } else {
            return false;
        }
    }
    return true;
}

std::optional<MessageReply> ReceiveReply(int fd, Clock::time_point deadline) {
    std::vector<std::uint8_t> frame;
    while (frame.size() < kReplyFrameSize) {
        if (!WaitServing(fd, POLLIN, deadline)) {
            return std::nullopt;
        }
        std::uint8_t chunk[kReplyFrameSize];
        const ssize_t got = recv(fd, chunk, kReplyFrameSize - frame.size(), 0);
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
            continue;
        }
        if (got <= 0) {
            return std::nullopt;  // the peer closed without answering: it died or dropped us
        }
        frame.insert(frame.end(), chunk, chunk + got);
    }
    return DecodeReply(frame);
}

// Connects to the window's endpoint and writes the request; none on failure.
UniqueFd Deliver(const MessageRequest& request, Clock::time_point deadline) {
    const auto folder = EndpointFolder::Open();
    if (!folder) {
        return {};
    }
    UniqueFd fd = ConnectWithin(*folder, request.target, deadline);
    if (!fd || !SendAll(fd.Get(), EncodeRequest(request), deadline)) {
        return {};
    }
    return fd;
}

WindowHandle RandomHandle() {
    thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<WindowHandle> distribution(1, 0xFFFFFFFEu);
    return distribution(generator);
}

bool Matches(std::string_view filter, const std::string& value) {
    return filter.empty() || text::EqualsNoCase(text::FromUtf8(filter), text::FromUtf8(value));
}

bool IsAlive(const EndpointFolder& folder, WindowHandle window) {
    return WindowServer::ForThisThread().HandlerOf(window) != nullptr ||
           folder.Probe(window) == EndpointState::Alive;
}

// A listening socket bound to a temporary name in `folder`; none on failure.
UniqueFd ListenTemporary(const EndpointFolder& folder, std::filesystem::path& path) {
    path = folder.TemporarySocketPath();
    sockaddr_un address{};
    if (!MakeSocketAddress(path, address)) {
        return {};
    }
    UniqueFd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd) {
        return {};
    }
    unlink(path.c_str());
    if (bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return {};
    }
    if (listen(fd.Get(), SOMAXCONN) != 0) {
        fd.Reset();
        unlink(path.c_str());
        return {};
    }
    return fd;
}

// Gives the socket at `temporary` a handle no other endpoint has; 0 on failure.
WindowHandle ClaimFreeHandle(const EndpointFolder& folder, const std::filesystem::path& temporary) {
    for (int attempt = 0; attempt < kHandleAttempts; ++attempt) {
        const WindowHandle handle = RandomHandle();
        if (folder.ClaimHandle(temporary, handle)) {
            return handle;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    return 0;
}

}  // namespace

std::unique_ptr<Window> Window::Create(std::string className, std::string title,
                                       MessageHandler handler) {
    const auto folder = EndpointFolder::Open();
    if (!folder || !handler) {
        return nullptr;
    }
    std::filesystem::path temporary;
    UniqueFd fd = ListenTemporary(*folder, temporary);
    if (!fd) {
        return nullptr;
    }
    const WindowHandle handle = ClaimFreeHandle(*folder, temporary);
    WindowInfo info{handle, getpid(), std::move(className), std::move(title)};
    struct stat status {};
    if (handle == 0 || !folder->WriteInfo(info) ||
        lstat(folder->SocketPath(handle).c_str(), &status) != 0) {
        if (handle != 0) {
            folder->Remove(handle);
        }
        unlink(temporary.c_str());
        return nullptr;
    }
    WindowServer::ForThisThread().Add(handle, fd.Get(), std::move(handler));
    return std::unique_ptr<Window>(
        new Window(folder->Path(), std::move(info), std::move(fd), status.st_dev, status.st_ino));
}

Window::Window(std::filesystem::path folder, WindowInfo info, UniqueFd listenFd, dev_t device,
               ino_t inode)
    : m_folder(std::move(folder)),
      m_info(std::move(info)),
      m_listenFd(std::move(listenFd)),
      m_device(device),
      m_inode(inode) {}

Window::~Window() {
    WindowServer::ForThisThread().Remove(m_info.handle);
    const EndpointFolder folder(m_folder);
    struct stat status {};
    if (lstat(folder.SocketPath(m_info.handle).c_str(), &status) == 0 &&
        status.st_dev == m_device && status.st_ino == m_inode) {
        folder.Remove(m_info.handle);
    }
}

bool Window::SetTitle(std::string title) {
    m_info.title = std::move(title);
    return EndpointFolder(m_folder).WriteInfo(m_info);
}

std::optional<std::int64_t> SendMessage(WindowHandle window, std::uint32_t message,
                                        std::uint64_t wParam, std::int64_t lParam) {
    return SendMessageTimeout(window, message, wParam, lParam, kDefaultSendTimeoutMs);
}

std::optional<std::int64_t> SendMessageTimeout(WindowHandle window, std::uint32_t message,
                                               std::uint64_t wParam, std::int64_t lParam,
                                               int timeoutMs) {
    if (window == 0) {
        return std::nullopt;
    }
    if (const HostServices* host = HostServicesInUse()) {
        std::int64_t result = 0;
        if (!host->sendMessage(window, message, wParam, lParam, timeoutMs, &result)) {
            return std::nullopt;
        }
        return result;
    }
    if (auto handler = WindowServer::ForThisThread().HandlerOf(window)) {
        return (*handler)(message, wParam, lParam);
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    const UniqueFd fd = Deliver({MessageKind::Send, window, message, wParam, lParam}, deadline);
    if (!fd) {
        return std::nullopt;
    }
    const auto reply = ReceiveReply(fd.Get(), deadline);
    if (!reply || !reply->handled) {
        return std::nullopt;
    }
    return reply->result;
}

bool PostMessage(WindowHandle window, std::uint32_t message, std::uint64_t wParam,
                 std::int64_t lParam) {
    if (window == 0) {
        return false;
    }
    if (const HostServices* host = HostServicesInUse()) {
        return host->postMessage(window, message, wParam, lParam);
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(kPostTimeoutMs);
    return Deliver({MessageKind::Post, window, message, wParam, lParam}, deadline).Valid();
}

bool IsWindow(WindowHandle window) {
    if (window == 0) {
        return false;
    }
    if (const HostServices* host = HostServicesInUse()) {
        return host->isWindow(window);
    }
    const auto folder = EndpointFolder::Open();
    return folder && IsAlive(*folder, window);
}

std::vector<WindowHandle> FindWindows(std::string_view className, std::string_view title) {
    std::vector<WindowHandle> found;
    const auto folder = EndpointFolder::Open();
    if (!folder) {
        return found;
    }
    folder->SweepLeftovers();
    for (WindowHandle handle : folder->Handles()) {
        const auto info = folder->ReadInfo(handle);
        if (info && Matches(className, info->className) && Matches(title, info->title) &&
            IsAlive(*folder, handle)) {
            found.push_back(handle);
        }
    }
    return found;
}

WindowHandle FindWindow(std::string_view className, std::string_view title) {
    const auto found = FindWindows(className, title);
    return found.empty() ? 0 : found.front();
}

std::optional<WindowInfo> GetWindowInfo(WindowHandle window) {
    const auto folder = EndpointFolder::Open();
    if (window == 0 || !folder) {
        return std::nullopt;
    }
    auto info = folder->ReadInfo(window);
    if (!info || !IsAlive(*folder, window)) {
        return std::nullopt;
    }
    return info;
}

}  // namespace veltrix::platform
