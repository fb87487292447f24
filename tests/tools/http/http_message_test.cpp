#include "tools/http/http_message.h"

#include <gtest/gtest.h>

#include <string>

namespace veltrix::http {
namespace {

RequestParser ParseWhole(std::string_view bytes, HttpLimits limits = {}) {
    RequestParser parser(limits);
    parser.Feed(bytes);
    return parser;
}

TEST(RequestParserTest, PostInPiecesDecodesFieldsCookiesAndHeaders) {
    const std::string request =
        "POST /login?next=%2Fhome HTTP/1.1\r\nHost: 127.0.0.1\r\n"
        "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 32\r\n"
        "Cookie: sid=abc; theme = dark\r\n\r\n"
        "user=ann+lee&pass=p%26ss%3D1&x=y!EXTRA";
    RequestParser parser;
    std::size_t offset = 0;
    // One byte at a time: the head terminator and the body may be split anywhere.
    while (offset < request.size() && !parser.Complete()) {
        offset += parser.Feed(std::string_view(request).substr(offset, 1));
    }
    ASSERT_TRUE(parser.Complete());
    EXPECT_EQ(request.size() - offset, 6u);  // the bytes past Content-Length are not taken
    const HttpRequest& parsed = parser.Request();
    EXPECT_EQ(parsed.method, "POST");
    EXPECT_EQ(parsed.path, "/login");
    EXPECT_EQ(parsed.Header("HOST"), "127.0.0.1");
    EXPECT_EQ(parsed.Field("next"), "/home");
    EXPECT_EQ(parsed.Field("user"), "ann lee");
    EXPECT_EQ(parsed.Field("pass"), "p&ss=1");
    EXPECT_EQ(parsed.Field("x"), "y");
    EXPECT_EQ(parsed.Cookie("sid"), "abc");
    EXPECT_EQ(parsed.Cookie("theme"), "dark");
    EXPECT_FALSE(parsed.Field("missing").has_value());
}

TEST(RequestParserTest, BodyOfAnotherTypeIsKeptButNotDecoded) {
    const auto parser = ParseWhole(
        "POST /api HTTP/1.1\r\nContent-Type: text/plain\r\nContent-Length: 3\r\n\r\na=b");
    ASSERT_TRUE(parser.Complete());
    EXPECT_EQ(parser.Request().body, "a=b");
    EXPECT_TRUE(parser.Request().form.empty());
}

TEST(RequestParserTest, RefusesWhatBreaksTheLimitsOrTheSyntax) {
    HttpLimits limits;
    limits.maxRequestLine = 64;
    limits.maxHeaderBytes = 128;
    limits.maxHeaderCount = 3;
    limits.maxBodyBytes = 10;
    const auto status = [&](std::string_view bytes) {
        const auto parser = ParseWhole(bytes, limits);
        return parser.Failed() ? parser.FailureStatus() : 0;
    };
    EXPECT_EQ(status("GET /" + std::string(100, 'a')), 414);  // no line end yet, already too long
    EXPECT_EQ(status("GET / HTTP/1.1\r\nX: " + std::string(300, 'b')), 431);
    EXPECT_EQ(status("GET / HTTP/1.1\r\nA: 1\r\nB: 2\r\nC: 3\r\nD: 4\r\n\r\n"), 431);
    EXPECT_EQ(status("POST / HTTP/1.1\r\nContent-Length: 11\r\n\r\n"), 413);
    EXPECT_EQ(status("POST / HTTP/1.1\r\nContent-Length: 99999999999999999999999\r\n\r\n"), 413);
    EXPECT_EQ(status("POST / HTTP/1.1\r\nContent-Length: 1x\r\n\r\n"), 400);
    EXPECT_EQ(status("POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n"), 501);
    EXPECT_EQ(status("GET / HTTP/2.0\r\n\r\n"), 505);
    EXPECT_EQ(status("GET /\r\n\r\n"), 400);
    EXPECT_EQ(status("G(T / HTTP/1.1\r\n\r\n"), 400);
    EXPECT_EQ(status("GET / HTTP/1.1\r\nno colon\r\n\r\n"), 400);
    EXPECT_EQ(status("GET / HTTP/1.1\r\nA: 1\r\n\r\n"), 0);
}

TEST(HttpMessageTest, DecodingAndSerializing) {
    EXPECT_EQ(PercentDecode("a%20b+c%zz%4", true), "a b c%zz%4");
    EXPECT_EQ(PercentDecode("a+b", false), "a+b");
    EXPECT_EQ(ParseUrlEncoded("a=1&&b&c=%3D", 10), (NameValues{{"a", "1"}, {"b", ""}, {"c", "="}}));
    EXPECT_EQ(ParseUrlEncoded("a=1&b=2&c=3", 2).size(), 2u);

    HttpResponse response = HttpResponse::Redirect("/next\r\nX-Injected: 1");
    response.SetCookie("sid", "42", "Path=/; HttpOnly");
    response.body = "hi";
    const std::string text = SerializeResponse(response);
    EXPECT_TRUE(text.starts_with("HTTP/1.1 303 See Other\r\n"));
    EXPECT_NE(text.find("Content-Length: 2\r\n"), std::string::npos);
    EXPECT_NE(text.find("Set-Cookie: sid=42; Path=/; HttpOnly\r\n"), std::string::npos);
    // A line end in a header value cannot start a header of its own.
    EXPECT_EQ(text.find("\r\nX-Injected"), std::string::npos);
    EXPECT_TRUE(text.ends_with("\r\n\r\nhi"));
    EXPECT_TRUE(SerializeResponse(response, true).ends_with("\r\n\r\n"));
}

}  // namespace
}  // namespace veltrix::http
