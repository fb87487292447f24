// A small HTTP/1.1 server on the loopback interface, for demonstration sites and end-to-end
// tests: 127.0.0.1 on a free port, GET, HEAD and POST (urlencoded bodies decoded into fields),
// static files from a folder and handler callbacks on exact paths, cookies passed through both
// ways. Every request is bounded (see HttpLimits), every connection closes after one answer.
//
// One thread of its own serves every connection through poll(); handlers run on that thread, one
// at a time, so a handler must not wait for the thread that owns the server.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "platform/result.h"
#include "platform/unique_fd.h"
#include "tools/http/http_message.h"

namespace veltrix::http {

using HttpHandler = std::function<HttpResponse(const HttpRequest&)>;

struct ServerOptions {
    HttpLimits limits;
    std::size_t maxConnections = 64;
    int idleTimeoutMs = 10000;                       // a connection silent this long is closed
    std::uintmax_t maxFileBytes = 16 * 1024 * 1024;  // larger static files are refused
};

class LoopbackHttpServer {
public:
    explicit LoopbackHttpServer(ServerOptions options = {});
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    // Serves the files under `root` for GET and HEAD requests no handler takes; a folder's
    // index.html stands for the folder. Paths leaving the root are refused.
    void ServeFolder(std::filesystem::path root);
    // Answers requests for exactly `path` (no query) with `handler`; `method` "" takes any
    // method. A later registration of the same method and path replaces the earlier one.
    void Handle(std::string method, std::string path, HttpHandler handler);

    // Listens on 127.0.0.1:`port` (0: a free port) and starts serving; an error message when the
    // socket cannot be made or the server already runs.
    Result<void, std::string> Start(std::uint16_t port = 0);
    // Stops serving and closes every connection; returns once the thread has ended.
    void Stop();

    bool Running() const { return m_thread.joinable(); }
    std::uint16_t Port() const { return m_port; }
    // "http://127.0.0.1:PORT" followed by `path`.
    std::string Url(std::string_view path = "/") const;

    // The requests answered so far, oldest first (the last 1000 are kept).
    std::vector<HttpRequest> Requests() const;
    void ClearRequests();
    // Waits until a request for `path` has been answered, at most `timeoutMs`; the latest such.
    std::optional<HttpRequest> WaitForRequest(std::string_view path, int timeoutMs) const;

private:
    struct Connection;

    void Serve();
    void AcceptConnections(std::vector<Connection>& connections);
    bool ReadFrom(Connection& connection);
    bool WriteTo(Connection& connection);
    HttpResponse Answer(const HttpRequest& request);
    std::optional<HttpResponse> AnswerFromHandler(const HttpRequest& request);
    HttpResponse AnswerFromFolder(const HttpRequest& request);
    void Record(const HttpRequest& request);

    ServerOptions m_options;
    platform::UniqueFd m_listener;
    platform::UniqueFd m_wakeRead;
    platform::UniqueFd m_wakeWrite;
    std::uint16_t m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};

    mutable std::mutex m_mutex;  // guards what follows
    std::filesystem::path m_root;
    std::map<std::pair<std::string, std::string>, HttpHandler> m_handlers;
    std::vector<HttpRequest> m_requests;
    mutable std::condition_variable m_answered;  // signalled after each recorded request
};

// The content type a static file is served with, from its extension.
std::string_view ContentTypeFor(const std::filesystem::path& file);

}  // namespace veltrix::http
