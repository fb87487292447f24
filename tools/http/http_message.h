// The messages the loopback HTTP server reads and writes: a parsed request (method, target,
// headers, body, decoded form fields and cookies), a response, and the incremental parser that
// takes a request apart within fixed limits.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace veltrix::http {

using NameValues = std::vector<std::pair<std::string, std::string>>;

// What one request may hold; anything larger is refused before it is buffered.
struct HttpLimits {
    std::size_t maxRequestLine = 8 * 1024;
    std::size_t maxHeaderBytes = 32 * 1024;
    std::size_t maxHeaderCount = 100;
    std::size_t maxBodyBytes = 1024 * 1024;
    std::size_t maxFormFields = 1000;
};

struct HttpRequest {
    std::string method;  // "GET", "POST", ...
    std::string target;  // as sent: "/path?query"
    std::string path;    // the target's path, percent-decoded
    std::string query;   // the target's query, as sent
    NameValues headers;  // names lower-cased, in the order sent
    std::string body;
    // The query's fields, then an urlencoded body's fields, decoded, in order.
    NameValues form;
    // The Cookie header's pairs, in order.
    NameValues cookies;

    // The first header named `name` (any case); empty when absent.
    std::string Header(std::string_view name) const;
    // The first form field named `name`; nullopt when absent.
    std::optional<std::string> Field(std::string_view name) const;
    std::optional<std::string> Cookie(std::string_view name) const;
};

struct HttpResponse {
    int status = 200;
    std::string contentType = "text/html; charset=utf-8";
    NameValues headers;  // further headers: Location, Set-Cookie, Cache-Control ...
    std::string body;

    static HttpResponse Html(std::string body);
    static HttpResponse Text(int status, std::string body);
    // A redirect to `location` (303 See Other: the browser follows it with a GET).
    static HttpResponse Redirect(std::string location, int status = 303);
    // Adds a Set-Cookie header; `attributes` such as "Path=/; HttpOnly".
    void SetCookie(std::string_view name, std::string_view value,
                   std::string_view attributes = "Path=/");
};

// The status line, headers (with Content-Length and Connection: close) and body; no body for a
// HEAD request.
std::string SerializeResponse(const HttpResponse& response, bool headOnly = false);
std::string_view ReasonPhrase(int status);

// Percent-decodes `text`; '+' becomes a space when `plusIsSpace`. A malformed escape is kept as
// it stands.
std::string PercentDecode(std::string_view text, bool plusIsSpace);
// Splits "a=1&b=2" into decoded pairs, at most `maxFields` of them.
NameValues ParseUrlEncoded(std::string_view text, std::size_t maxFields);
// Splits a Cookie header "a=1; b=2" into pairs.
NameValues ParseCookieHeader(std::string_view header);

// Reads one request from bytes as they arrive. Feed() returns how many of the bytes it took;
// after Complete() or Failed() it takes no more.
class RequestParser {
public:
    enum class State { Reading, Complete, Failed };

    explicit RequestParser(HttpLimits limits = {}) : m_limits(limits) {}

    std::size_t Feed(std::string_view bytes);
    State GetState() const { return m_state; }
    bool Complete() const { return m_state == State::Complete; }
    bool Failed() const { return m_state == State::Failed; }
    // The status to answer a failed request with (400, 413, 414, 431, 501, 505).
    int FailureStatus() const { return m_failureStatus; }
    const HttpRequest& Request() const { return m_request; }

private:
    void Fail(int status);
    bool ParseHead();
    bool ParseRequestLine(std::string_view line);
    bool ParseHeaderLine(std::string_view line);
    void Finish();

    HttpLimits m_limits;
    State m_state = State::Reading;
    int m_failureStatus = 0;
    std::string m_head;  // bytes up to and including the blank line
    bool m_headDone = false;
    std::size_t m_bodyLength = 0;
    HttpRequest m_request;
};

}  // namespace veltrix::http
