#include "tools/http/http_message.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace veltrix::http {
namespace {

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// RFC 9110 token characters: what a method and a header name may hold.
bool IsTokenChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (std::isalnum(u) != 0) {
        return true;
    }
    return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool IsToken(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsTokenChar);
}

std::optional<std::string> FindValue(const NameValues& pairs, std::string_view name) {
    for (const auto& [key, value] : pairs) {
        if (key == name) {
            return value;
        }
    }
    return std::nullopt;
}

// Stops at the first line end; the line without its CR.
std::string_view TakeLine(std::string_view& text) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}

}  // namespace

std::string HttpRequest::Header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (EqualsIgnoreCase(key, name)) {
            return value;
        }
    }
    return {};
}

std::optional<std::string> HttpRequest::Field(std::string_view name) const {
    return FindValue(form, name);
}

std::optional<std::string> HttpRequest::Cookie(std::string_view name) const {
    return FindValue(cookies, name);
}

HttpResponse HttpResponse::Html(std::string body) {
    HttpResponse response;
    response.body = std::move(body);
    return response;
}

HttpResponse HttpResponse::Text(int status, std::string body) {
    HttpResponse response;
    response.status = status;
    response.contentType = "text/plain; charset=utf-8";
    response.body = std::move(body);
    return response;
}

HttpResponse HttpResponse::Redirect(std::string location, int status) {
    HttpResponse response;
    response.status = status;
    response.headers.emplace_back("Location", std::move(location));
    return response;
}

void HttpResponse::SetCookie(std::string_view name, std::string_view value,
                             std::string_view attributes) {
    std::string header = std::string(name) + "=" + std::string(value);
    if (!attributes.empty()) {
        header += "; ";
        header += attributes;
    }
    headers.emplace_back("Set-Cookie", std::move(header));
}

std::string_view ReasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 204:
            return "No Content";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 303:
            return "See Other";
        case 304:
            return "Not Modified";
        case 307:
            return "Temporary Redirect";
        case 400:
            return "Bad Request";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 408:
            return "Request Timeout";
        case 413:
            return "Content Too Large";
        case 414:
            return "URI Too Long";
        case 431:
            return "Request Header Fields Too Large";
        case 500:
            return "Internal Server Error";
        case 501:
            return "Not Implemented";
        case 503:
            return "Service Unavailable";
        case 505:
            return "HTTP Version Not Supported";
        default:
            return "Unknown";
    }
}

// Header values never carry a line end: a handler's CR or LF would split the response.
static std::string HeaderSafe(std::string_view value) {
    std::string out(value);
    std::replace_if(
        out.begin(), out.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return out;
}

std::string SerializeResponse(const HttpResponse& response, bool headOnly) {
    std::string out = "HTTP/1.1 " + std::to_string(response.status) + " " +
                      std::string(ReasonPhrase(response.status)) + "\r\n";
    if (!response.contentType.empty()) {
        out += "Content-Type: " + HeaderSafe(response.contentType) + "\r\n";
    }
    out += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
    out += "Connection: close\r\n";
    for (const auto& [name, value] : response.headers) {
        out += HeaderSafe(name) + ": " + HeaderSafe(value) + "\r\n";
    }
    out += "\r\n";
    if (!headOnly) {
        out += response.body;
    }
    return out;
}

std::string PercentDecode(std::string_view text, bool plusIsSpace) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+' && plusIsSpace) {
            out += ' ';
        } else if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
                   HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

NameValues ParseUrlEncoded(std::string_view text, std::size_t maxFields) {
    NameValues fields;
    while (!text.empty() && fields.size() < maxFields) {
        const auto end = text.find('&');
        const std::string_view pair = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (pair.empty()) {
            continue;
        }
        const auto equals = pair.find('=');
        if (equals == std::string_view::npos) {
            fields.emplace_back(PercentDecode(pair, true), std::string());
        } else {
            fields.emplace_back(PercentDecode(pair.substr(0, equals), true),
                                PercentDecode(pair.substr(equals + 1), true));
        }
    }
    return fields;
}

NameValues ParseCookieHeader(std::string_view header) {
    NameValues cookies;
    while (!header.empty()) {
        const auto end = header.find(';');
        const std::string_view pair = Trim(header.substr(0, end));
        header.remove_prefix(end == std::string_view::npos ? header.size() : end + 1);
        const auto equals = pair.find('=');
        if (pair.empty() || equals == std::string_view::npos || equals == 0) {
            continue;
        }
        cookies.emplace_back(std::string(Trim(pair.substr(0, equals))),
                             std::string(Trim(pair.substr(equals + 1))));
    }
    return cookies;
}

void RequestParser::Fail(int status) {
    m_state = State::Failed;
    m_failureStatus = status;
}

std::size_t RequestParser::Feed(std::string_view bytes) {
    std::size_t taken = 0;
    if (m_state == State::Reading && !m_headDone) {
        const std::size_t searchFrom = m_head.size() >= 3 ? m_head.size() - 3 : 0;
        const std::size_t headLimit = m_limits.maxRequestLine + m_limits.maxHeaderBytes;
        const std::size_t room = headLimit + 4 - std::min(headLimit + 4, m_head.size());
        const std::size_t chunk = std::min(room, bytes.size());
        m_head.append(bytes.substr(0, chunk));
        auto end = m_head.find("\r\n\r\n", searchFrom);
        std::size_t terminator = 4;
        if (end == std::string::npos) {
            end = m_head.find("\n\n", searchFrom);
            terminator = 2;
        }
        if (end == std::string::npos) {
            const bool lineOpen = m_head.find('\n') == std::string::npos;
            if (lineOpen && m_head.size() > m_limits.maxRequestLine) {
                Fail(414);
            } else if (m_head.size() >= headLimit + 4 || chunk < bytes.size()) {
                Fail(431);
            }
            return chunk;
        }
        const std::size_t headEnd = end + terminator;
        taken = chunk - (m_head.size() - headEnd);
        m_head.resize(headEnd);
        m_headDone = true;
        if (!ParseHead()) {
            return taken;
        }
        bytes.remove_prefix(taken);
    }
    if (m_state == State::Reading && m_headDone) {
        const std::size_t want = m_bodyLength - m_request.body.size();
        const std::size_t chunk = std::min(want, bytes.size());
        m_request.body.append(bytes.substr(0, chunk));
        taken += chunk;
        if (m_request.body.size() == m_bodyLength) {
            Finish();
        }
    }
    return taken;
}

bool RequestParser::ParseHead() {
    std::string_view head = m_head;
    const std::string_view requestLine = TakeLine(head);
    if (requestLine.size() > m_limits.maxRequestLine) {
        Fail(414);
        return false;
    }
    if (!ParseRequestLine(requestLine)) {
        return false;
    }
    if (head.size() > m_limits.maxHeaderBytes) {
        Fail(431);
        return false;
    }
    while (!head.empty()) {
        const std::string_view line = TakeLine(head);
        if (line.empty()) {
            break;
        }
        if (!ParseHeaderLine(line)) {
            return false;
        }
    }
    if (!m_request.Header("transfer-encoding").empty()) {
        Fail(501);
        return false;
    }
    const std::string length = m_request.Header("content-length");
    if (!length.empty()) {
        std::size_t value = 0;
        const auto [end, error] =
            std::from_chars(length.data(), length.data() + length.size(), value);
        if (error != std::errc() || end != length.data() + length.size()) {
            Fail(error == std::errc::result_out_of_range ? 413 : 400);
            return false;
        }
        if (value > m_limits.maxBodyBytes) {
            Fail(413);
            return false;
        }
        m_bodyLength = value;
    }
    m_head.clear();
    m_head.shrink_to_fit();
    return true;
}

bool RequestParser::ParseRequestLine(std::string_view line) {
    const auto firstSpace = line.find(' ');
    const auto lastSpace = line.rfind(' ');
    if (firstSpace == std::string_view::npos || lastSpace == firstSpace) {
        Fail(400);
        return false;
    }
    const std::string_view method = line.substr(0, firstSpace);
    const std::string_view target = line.substr(firstSpace + 1, lastSpace - firstSpace - 1);
    const std::string_view version = line.substr(lastSpace + 1);
    if (!IsToken(method) || target.empty() || target.find(' ') != std::string_view::npos) {
        Fail(400);
        return false;
    }
    if (version != "HTTP/1.1" && version != "HTTP/1.0") {
        Fail(version.starts_with("HTTP/") ? 505 : 400);
        return false;
    }
    m_request.method = std::string(method);
    m_request.target = std::string(target);
    const auto question = target.find('?');
    std::string_view path = target.substr(0, question);
    // An absolute-form target ("http://host/path") names its path after the authority.
    if (path.starts_with("http://")) {
        const auto slash = path.find('/', 7);
        path = slash == std::string_view::npos ? std::string_view("/") : path.substr(slash);
    }
    m_request.path = PercentDecode(path, false);
    if (question != std::string_view::npos) {
        m_request.query = std::string(target.substr(question + 1));
    }
    return true;
}

bool RequestParser::ParseHeaderLine(std::string_view line) {
    const auto colon = line.find(':');
    if (colon == std::string_view::npos || !IsToken(line.substr(0, colon))) {
        Fail(400);
        return false;
    }
    if (m_request.headers.size() >= m_limits.maxHeaderCount) {
        Fail(431);
        return false;
    }
    std::string name(line.substr(0, colon));
    std::transform(name.begin(), name.end(), name.begin(), LowerAscii);
    m_request.headers.emplace_back(std::move(name), std::string(Trim(line.substr(colon + 1))));
    return true;
}

void RequestParser::Finish() {
    m_request.form = ParseUrlEncoded(m_request.query, m_limits.maxFormFields);
    const std::string type = m_request.Header("content-type");
    if (type.find("application/x-www-form-urlencoded") != std::string::npos) {
        const std::size_t room = m_limits.maxFormFields - m_request.form.size();
        for (auto& field : ParseUrlEncoded(m_request.body, room)) {
            m_request.form.push_back(std::move(field));
        }
    }
    for (const auto& [name, value] : m_request.headers) {
        if (name == "cookie") {
            for (auto& cookie : ParseCookieHeader(value)) {
                m_request.cookies.push_back(std::move(cookie));
            }
        }
    }
    m_state = State::Complete;
}

}  // namespace veltrix::http
