#include "tools/http/loopback_http_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

namespace veltrix::http {
namespace {

constexpr std::size_t kKeptRequests = 1000;
constexpr std::size_t kReadChunk = 16 * 1024;

bool SetNonBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

std::string ErrnoText(std::string_view what) {
    return std::string(what) + ": " + std::strerror(errno);
}

std::int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// `relative` (a decoded URL path) inside `root`, or nullopt when it would leave the root.
std::optional<std::filesystem::path> FileUnder(const std::filesystem::path& root,
                                               std::string_view relative) {
    std::filesystem::path result = root;
    std::size_t start = 0;
    while (start <= relative.size()) {
        const auto end = relative.find('/', start);
        const std::string_view part = relative.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (part == ".." || part.find('\\') != std::string_view::npos ||
            part.find('\0') != std::string_view::npos) {
            return std::nullopt;
        }
        if (!part.empty() && part != ".") {
            result /= std::string(part);
        }
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    std::error_code error;
    const auto canonicalRoot = std::filesystem::weakly_canonical(root, error);
    const auto canonical = std::filesystem::weakly_canonical(result, error);
    if (error) {
        return std::nullopt;
    }
    const auto [rootEnd, unused] = std::mismatch(canonicalRoot.begin(), canonicalRoot.end(),
                                                 canonical.begin(), canonical.end());
    if (rootEnd != canonicalRoot.end()) {
        return std::nullopt;  // a link out of the root
    }
    return canonical;
}

}  // namespace

struct LoopbackHttpServer::Connection {
    platform::UniqueFd fd;
    RequestParser parser;
    std::string output;
    std::size_t written = 0;
    bool answering = false;
    std::int64_t lastActivityMs = 0;
};

std::string_view ContentTypeFor(const std::filesystem::path& file) {
    const std::string extension = file.extension().string();
    if (extension == ".html" || extension == ".htm") {
        return "text/html; charset=utf-8";
    }
    if (extension == ".js") {
        return "text/javascript; charset=utf-8";
    }
    if (extension == ".css") {
        return "text/css; charset=utf-8";
    }
    if (extension == ".json") {
        return "application/json";
    }
    if (extension == ".txt") {
        return "text/plain; charset=utf-8";
    }
    if (extension == ".png") {
        return "image/png";
    }
    if (extension == ".svg") {
        return "image/svg+xml";
    }
    if (extension == ".ico") {
        return "image/x-icon";
    }
    return "application/octet-stream";
}

LoopbackHttpServer::LoopbackHttpServer(ServerOptions options) : m_options(options) {}

LoopbackHttpServer::~LoopbackHttpServer() {
    Stop();
}

void LoopbackHttpServer::ServeFolder(std::filesystem::path root) {
    std::lock_guard lock(m_mutex);
    m_root = std::move(root);
}

void LoopbackHttpServer::Handle(std::string method, std::string path, HttpHandler handler) {
    std::lock_guard lock(m_mutex);
    m_handlers[{std::move(method), std::move(path)}] = std::move(handler);
}

Result<void, std::string> LoopbackHttpServer::Start(std::uint16_t port) {
    if (Running()) {
        return Fail(std::string("the server already runs"));
    }
    platform::UniqueFd listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!listener) {
        return Fail(ErrnoText("socket"));
    }
    const int yes = 1;
    ::setsockopt(listener.Get(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(listener.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        return Fail(ErrnoText("bind"));
    }
    if (::listen(listener.Get(), 64) != 0 || !SetNonBlocking(listener.Get())) {
        return Fail(ErrnoText("listen"));
    }
    socklen_t length = sizeof address;
    if (::getsockname(listener.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return Fail(ErrnoText("getsockname"));
    }
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        return Fail(ErrnoText("pipe"));
    }
    m_wakeRead.Reset(wake[0]);
    m_wakeWrite.Reset(wake[1]);
    m_listener = std::move(listener);
    m_port = ntohs(address.sin_port);
    m_stopping = false;
    m_thread = std::thread([this] { Serve(); });
    return {};
}

void LoopbackHttpServer::Stop() {
    if (!m_thread.joinable()) {
        return;
    }
    m_stopping = true;
    const char byte = 0;
    [[maybe_unused]] const auto ignored = ::write(m_wakeWrite.Get(), &byte, 1);
    m_thread.join();
    m_listener.Reset();
    m_wakeRead.Reset();
    m_wakeWrite.Reset();
}

std::string LoopbackHttpServer::Url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + std::string(path);
}

std::vector<HttpRequest> LoopbackHttpServer::Requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void LoopbackHttpServer::ClearRequests() {
    std::lock_guard lock(m_mutex);
    m_requests.clear();
}

std::optional<HttpRequest> LoopbackHttpServer::WaitForRequest(std::string_view path,
                                                              int timeoutMs) const {
    std::unique_lock lock(m_mutex);
    std::optional<HttpRequest> found;
    const auto seen = [&] {
        for (auto it = m_requests.rbegin(); it != m_requests.rend(); ++it) {
            if (it->path == path) {
                found = *it;
                return true;
            }
        }
        return false;
    };
    m_answered.wait_for(lock, std::chrono::milliseconds(timeoutMs), seen);
    return found;
}

void LoopbackHttpServer::Serve() {
    std::vector<Connection> connections;
    std::vector<pollfd> polled;
    while (!m_stopping) {
        polled.clear();
        polled.push_back({m_wakeRead.Get(), POLLIN, 0});
        const bool roomForMore = connections.size() < m_options.maxConnections;
        polled.push_back({roomForMore ? m_listener.Get() : -1, POLLIN, 0});
        for (const auto& connection : connections) {
            polled.push_back({connection.fd.Get(),
                              static_cast<short>(connection.answering ? POLLOUT : POLLIN), 0});
        }
        const int ready = ::poll(polled.data(), polled.size(), 500);
        if (ready < 0 && errno != EINTR) {
            break;
        }
        const std::int64_t now = NowMs();
        std::vector<Connection> kept;
        kept.reserve(connections.size());
        for (std::size_t i = 0; i < connections.size(); ++i) {
            Connection& connection = connections[i];
            const short events = polled[i + 2].revents;
            bool open = true;
            if ((events & (POLLIN | POLLHUP | POLLERR)) != 0 && !connection.answering) {
                open = ReadFrom(connection);
                connection.lastActivityMs = now;
            }
            if (open && connection.answering && (events & (POLLOUT | POLLERR | POLLHUP)) != 0) {
                open = WriteTo(connection);
                connection.lastActivityMs = now;
            }
            if (open && now - connection.lastActivityMs > m_options.idleTimeoutMs) {
                open = false;
            }
            if (open) {
                kept.push_back(std::move(connection));
            }
        }
        connections = std::move(kept);
        if ((polled[1].revents & POLLIN) != 0) {
            AcceptConnections(connections);
        }
    }
}

void LoopbackHttpServer::AcceptConnections(std::vector<Connection>& connections) {
    while (connections.size() < m_options.maxConnections) {
        platform::UniqueFd fd(
            ::accept4(m_listener.Get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!fd) {
            return;
        }
        Connection connection;
        connection.fd = std::move(fd);
        connection.parser = RequestParser(m_options.limits);
        connection.lastActivityMs = NowMs();
        connections.push_back(std::move(connection));
    }
}

// Reads what has arrived; once the request is whole (or refused) the answer is queued. False
// when the connection is done with.
bool LoopbackHttpServer::ReadFrom(Connection& connection) {
    char buffer[kReadChunk];
    const ssize_t count = ::recv(connection.fd.Get(), buffer, sizeof buffer, 0);
    if (count < 0) {
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    }
    if (count == 0) {
        return false;  // closed before a whole request arrived
    }
    connection.parser.Feed(std::string_view(buffer, static_cast<std::size_t>(count)));
    if (connection.parser.Failed()) {
        const int status = connection.parser.FailureStatus();
        connection.output =
            SerializeResponse(HttpResponse::Text(status, std::string(ReasonPhrase(status)) + "\n"));
    } else if (connection.parser.Complete()) {
        const HttpRequest& request = connection.parser.Request();
        connection.output = SerializeResponse(Answer(request), request.method == "HEAD");
        Record(request);
    } else {
        return true;
    }
    connection.answering = true;
    return WriteTo(connection);
}

bool LoopbackHttpServer::WriteTo(Connection& connection) {
    while (connection.written < connection.output.size()) {
        const ssize_t count =
            ::send(connection.fd.Get(), connection.output.data() + connection.written,
                   connection.output.size() - connection.written, MSG_NOSIGNAL);
        if (count < 0) {
            return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        }
        connection.written += static_cast<std::size_t>(count);
    }
    ::shutdown(connection.fd.Get(), SHUT_WR);
    return false;
}

HttpResponse LoopbackHttpServer::Answer(const HttpRequest& request) {
    if (auto response = AnswerFromHandler(request)) {
        return *std::move(response);
    }
    if (request.method != "GET" && request.method != "HEAD") {
        return HttpResponse::Text(405, "Method Not Allowed\n");
    }
    return AnswerFromFolder(request);
}

std::optional<HttpResponse> LoopbackHttpServer::AnswerFromHandler(const HttpRequest& request) {
    HttpHandler handler;
    {
        std::lock_guard lock(m_mutex);
        const std::string method = request.method == "HEAD" ? "GET" : request.method;
        auto it = m_handlers.find({method, request.path});
        if (it == m_handlers.end()) {
            it = m_handlers.find({std::string(), request.path});
        }
        if (it == m_handlers.end()) {
            return std::nullopt;
        }
        handler = it->second;
    }
    try {
        return handler(request);
    } catch (const std::exception& error) {
        return HttpResponse::Text(500, std::string("handler failed: ") + error.what() + "\n");
    }
}

HttpResponse LoopbackHttpServer::AnswerFromFolder(const HttpRequest& request) {
    std::filesystem::path root;
    {
        std::lock_guard lock(m_mutex);
        root = m_root;
    }
    if (root.empty()) {
        return HttpResponse::Text(404, "Not Found\n");
    }
    auto file = FileUnder(root, request.path);
    if (!file) {
        return HttpResponse::Text(403, "Forbidden\n");
    }
    std::error_code error;
    if (std::filesystem::is_directory(*file, error)) {
        *file /= "index.html";
    }
    if (!std::filesystem::is_regular_file(*file, error)) {
        return HttpResponse::Text(404, "Not Found\n");
    }
    if (std::filesystem::file_size(*file, error) > m_options.maxFileBytes) {
        return HttpResponse::Text(403, "Forbidden\n");
    }
    std::ifstream in(*file, std::ios::binary);
    if (!in) {
        return HttpResponse::Text(403, "Forbidden\n");
    }
    HttpResponse response;
    response.contentType = std::string(ContentTypeFor(*file));
    response.body.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return response;
}

void LoopbackHttpServer::Record(const HttpRequest& request) {
    {
        std::lock_guard lock(m_mutex);
        if (m_requests.size() >= kKeptRequests) {
            m_requests.erase(m_requests.begin());
        }
        m_requests.push_back(request);
    }
    m_answered.notify_all();
}

}  // namespace veltrix::http
