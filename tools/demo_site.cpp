#include "tools/demo_site.h"

#include <random>

namespace veltrix::demosite {
namespace {

constexpr char kSessionCookie[] = "harbor_session";
// Longest user name, password and first name the site keeps.
constexpr std::size_t kMaxFieldLength = 200;
// Accounts kept at most: the site runs on loopback, but requests are still bounded.
constexpr std::size_t kMaxAccounts = 1000;

std::string Page(const std::string& title, const std::string& body) {
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + title +
           "</title><link rel=\"stylesheet\" href=\"/style.css\"></head><body><header><strong>"
           "Harbor Books</strong> &nbsp; <a href=\"/\">Home</a></header><main>" +
           body + "</main></body></html>";
}

std::string NewToken() {
    std::random_device random;
    static constexpr char kHex[] = "0123456789abcdef";
    std::string token;
    for (int i = 0; i < 32; ++i) {
        token += kHex[random() & 0xF];
    }
    return token;
}

std::string FieldOf(const http::HttpRequest& request, std::string_view name) {
    std::string value = request.Field(name).value_or("");
    if (value.size() > kMaxFieldLength) {
        value.resize(kMaxFieldLength);
    }
    return value;
}

http::HttpResponse Refusal(const std::string& message, const std::string& back) {
    http::HttpResponse response = http::HttpResponse::Html(Page(
        "Harbor Books - Try again", "<h1>Try again</h1><p class=\"note\">" + EscapeHtml(message) +
                                        "</p><p><a href=\"" + back + "\">Back</a></p>"));
    response.status = 400;
    return response;
}

}  // namespace

std::string EscapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

DemoSite::DemoSite(http::LoopbackHttpServer& server, std::filesystem::path pages) {
    server.ServeFolder(std::move(pages));
    server.Handle("POST", "/signup", [this](const http::HttpRequest& r) { return SignUp(r); });
    server.Handle("POST", "/login", [this](const http::HttpRequest& r) { return LogIn(r); });
    server.Handle("", "/logout", [this](const http::HttpRequest& r) { return LogOut(r); });
    server.Handle("GET", "/account", [this](const http::HttpRequest& r) { return Account(r); });
}

std::size_t DemoSite::AccountCount() const {
    const std::lock_guard lock(m_mutex);
    return m_accounts.size();
}

http::HttpResponse DemoSite::StartSession(const std::string& user) {
    const std::string token = NewToken();
    m_sessions[token] = user;
    http::HttpResponse response = http::HttpResponse::Redirect("/account");
    response.SetCookie(kSessionCookie, token, "Path=/; HttpOnly; SameSite=Lax");
    return response;
}

http::HttpResponse DemoSite::SignUp(const http::HttpRequest& request) {
    const std::string user = FieldOf(request, "username");
    const std::string password = FieldOf(request, "password");
    if (user.empty() || password.empty()) {
        return Refusal("Choose a user name and a password.", "/signup.html");
    }
    const std::lock_guard lock(m_mutex);
    if (m_accounts.contains(user)) {
        return Refusal("That user name is taken.", "/signup.html");
    }
    if (m_accounts.size() >= kMaxAccounts) {
        return Refusal("The shop is full.", "/");
    }
    m_accounts[user] = {password, FieldOf(request, "fname")};
    return StartSession(user);
}

http::HttpResponse DemoSite::LogIn(const http::HttpRequest& request) {
    const std::string user = FieldOf(request, "username");
    const std::lock_guard lock(m_mutex);
    const auto it = m_accounts.find(user);
    if (it == m_accounts.end() || it->second.password != FieldOf(request, "password")) {
        return Refusal("Wrong user name or password.", "/login.html");
    }
    return StartSession(user);
}

http::HttpResponse DemoSite::LogOut(const http::HttpRequest& request) {
    {
        const std::lock_guard lock(m_mutex);
        if (const auto token = request.Cookie(kSessionCookie)) {
            m_sessions.erase(*token);
        }
    }
    http::HttpResponse response = http::HttpResponse::Redirect("/login.html");
    response.SetCookie(kSessionCookie, "", "Path=/; Max-Age=0");
    return response;
}

http::HttpResponse DemoSite::Account(const http::HttpRequest& request) {
    const std::lock_guard lock(m_mutex);
    const auto token = request.Cookie(kSessionCookie);
    const auto session = token ? m_sessions.find(*token) : m_sessions.end();
    if (session == m_sessions.end()) {
        return http::HttpResponse::Redirect("/login.html");
    }
    const AccountData& account = m_accounts[session->second];
    const std::string name =
        EscapeHtml(account.firstName.empty() ? session->second : account.firstName);
    return http::HttpResponse::Html(Page(
        "Harbor Books - My account",
        "<h1>Hello, " + name + "</h1><p>You are logged in as <b>" + EscapeHtml(session->second) +
            "</b>.</p><p>Your orders: none yet.</p>"
            "<form method=\"post\" action=\"/logout\"><button type=\"submit\" "
            "id=\"logout\">Log out</button></form>"));
}

}  // namespace veltrix::demosite
