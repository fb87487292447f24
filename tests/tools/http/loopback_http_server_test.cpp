#include "tools/http/loopback_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "tests/support/test_environment.h"

namespace veltrix::http {
namespace {

// Sends `bytes` to the server and reads until it closes the connection (bounded by a timeout).
std::string Exchange(std::uint16_t port, std::string_view bytes, bool closeWrite = true) {
    platform::UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    timeval timeout{5, 0};
    ::setsockopt(fd.Get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        return "connect failed";
    }
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t count =
            ::send(fd.Get(), bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count <= 0) {
            break;
        }
        sent += static_cast<std::size_t>(count);
    }
    if (closeWrite) {
        ::shutdown(fd.Get(), SHUT_WR);
    }
    std::string reply;
    char buffer[4096];
    ssize_t count = 0;
    while ((count = ::recv(fd.Get(), buffer, sizeof buffer, 0)) > 0) {
        reply.append(buffer, static_cast<std::size_t>(count));
    }
    return reply;
}

std::string Body(const std::string& reply) {
    const auto end = reply.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : reply.substr(end + 4);
}

class LoopbackHttpServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = m_environment.Path() / "site";
        std::filesystem::create_directories(m_root / "sub");
        std::ofstream(m_root / "index.html") << "<p>home</p>";
        std::ofstream(m_root / "sub" / "page.html") << "<p>sub</p>";
        std::ofstream(m_environment.Path() / "secret.txt") << "secret";
        m_server.ServeFolder(m_root);
    }

    void StartServer() { ASSERT_TRUE(m_server.Start()); }

    test::TempFolder m_environment;
    std::filesystem::path m_root;
    LoopbackHttpServer m_server;
};

TEST_F(LoopbackHttpServerTest, ServesFilesAndRefusesPathsLeavingTheFolder) {
    StartServer();
    EXPECT_NE(m_server.Port(), 0);
    EXPECT_EQ(m_server.Url("/a"), "http://127.0.0.1:" + std::to_string(m_server.Port()) + "/a");

    const std::string home = Exchange(m_server.Port(), "GET / HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_TRUE(home.starts_with("HTTP/1.1 200 OK\r\n"));
    EXPECT_NE(home.find("Content-Type: text/html; charset=utf-8"), std::string::npos);
    EXPECT_EQ(Body(home), "<p>home</p>");
    EXPECT_EQ(Body(Exchange(m_server.Port(), "GET /sub/page.html?x=1 HTTP/1.1\r\n\r\n")),
              "<p>sub</p>");
    EXPECT_EQ(Body(Exchange(m_server.Port(), "HEAD /sub/page.html HTTP/1.1\r\n\r\n")), "");
    EXPECT_TRUE(
        Exchange(m_server.Port(), "GET /none.html HTTP/1.1\r\n\r\n").starts_with("HTTP/1.1 404"));
    for (const char* escape : {"/../secret.txt", "/sub/../../secret.txt", "/%2e%2e/secret.txt",
                               "/sub%2f..%2f..%2fsecret.txt"}) {
        const std::string reply =
            Exchange(m_server.Port(), "GET " + std::string(escape) + " HTTP/1.1\r\n\r\n");
        EXPECT_TRUE(reply.starts_with("HTTP/1.1 403")) << escape << ": " << reply;
        EXPECT_EQ(reply.find("secret\n"), std::string::npos);
    }
    std::filesystem::create_symlink(m_environment.Path() / "secret.txt", m_root / "link.txt");
    EXPECT_TRUE(
        Exchange(m_server.Port(), "GET /link.txt HTTP/1.1\r\n\r\n").starts_with("HTTP/1.1 403"));
    EXPECT_TRUE(Exchange(m_server.Port(), "DELETE / HTTP/1.1\r\n\r\n").starts_with("HTTP/1.1 405"));
}

TEST_F(LoopbackHttpServerTest, HandlersSeeFormsAndCookiesAndSetCookies) {
    m_server.Handle("POST", "/login", [](const HttpRequest& request) {
        HttpResponse response = HttpResponse::Redirect("/welcome");
        response.SetCookie("user", request.Field("user").value_or("?"));
        return response;
    });
    m_server.Handle("GET", "/welcome", [](const HttpRequest& request) {
        return HttpResponse::Html("hello " + request.Cookie("user").value_or("stranger"));
    });
    m_server.Handle("", "/any", [](const HttpRequest& request) {
        return HttpResponse::Text(200, request.method);
    });
    m_server.Handle("GET", "/throws",
                    [](const HttpRequest&) -> HttpResponse { throw std::runtime_error("boom"); });
    StartServer();

    const std::string body = "user=ann&pass=x";
    const std::string login =
        Exchange(m_server.Port(),
                 "POST /login HTTP/1.1\r\nContent-Type: application/x-www-form-urlencoded"
                 "\r\nContent-Length: " +
                     std::to_string(body.size()) + "\r\n\r\n" + body);
    EXPECT_TRUE(login.starts_with("HTTP/1.1 303"));
    EXPECT_NE(login.find("Location: /welcome\r\n"), std::string::npos);
    EXPECT_NE(login.find("Set-Cookie: user=ann; Path=/\r\n"), std::string::npos);
    EXPECT_EQ(Body(Exchange(m_server.Port(), "GET /welcome HTTP/1.1\r\nCookie: user=ann\r\n\r\n")),
              "hello ann");
    EXPECT_EQ(Body(Exchange(m_server.Port(), "PUT /any HTTP/1.1\r\n\r\n")), "PUT");
    EXPECT_TRUE(
        Exchange(m_server.Port(), "GET /throws HTTP/1.1\r\n\r\n").starts_with("HTTP/1.1 500"));

    const auto seen = m_server.WaitForRequest("/login", 1000);
    ASSERT_TRUE(seen.has_value());
    EXPECT_EQ(seen->Field("pass"), "x");
    EXPECT_EQ(m_server.Requests().size(), 4u);
    EXPECT_FALSE(m_server.WaitForRequest("/never", 10).has_value());
}

TEST_F(LoopbackHttpServerTest, OversizedRequestsAreRefusedAndIdlePeersDoNotBlockOthers) {
    StartServer();
    // A peer that connects and says nothing must not hold up the next one.
    platform::UniqueFd idle(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(m_server.Port());
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(idle.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    EXPECT_EQ(Body(Exchange(m_server.Port(), "GET / HTTP/1.1\r\n\r\n")), "<p>home</p>");
    EXPECT_TRUE(
        Exchange(m_server.Port(), "GET /" + std::string(20000, 'a') + " HTTP/1.1\r\n\r\n", false)
            .starts_with("HTTP/1.1 414"));
    EXPECT_TRUE(
        Exchange(m_server.Port(), "POST / HTTP/1.1\r\nContent-Length: 100000000\r\n\r\n", false)
            .starts_with("HTTP/1.1 413"));
    m_server.Stop();
    EXPECT_FALSE(m_server.Running());
    EXPECT_EQ(Exchange(m_server.Port(), "GET / HTTP/1.1\r\n\r\n"), "connect failed");
}

}  // namespace
}  // namespace veltrix::http
