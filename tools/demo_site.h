// The demonstration site that vtxbrowse is shown on: a shop with a sign-up form, a login form and
// an account page behind the login with "Log out". Its static pages live in a folder (in the
// sources docs/demo-site); accounts and sessions live in memory while the server runs. Every
// text from a request is escaped before it is shown.
#pragma once

#include <filesystem>
#include <map>
#include <mutex>
#include <string>

#include "tools/http/loopback_http_server.h"

namespace veltrix::demosite {

// HTML-escapes `text` (& < > " ').
std::string EscapeHtml(std::string_view text);

class DemoSite {
public:
    // Serves `pages` and the site's forms on `server` (not started yet, outliving this object).
    DemoSite(http::LoopbackHttpServer& server, std::filesystem::path pages);

    std::size_t AccountCount() const;

private:
    http::HttpResponse SignUp(const http::HttpRequest& request);
    http::HttpResponse LogIn(const http::HttpRequest& request);
    http::HttpResponse LogOut(const http::HttpRequest& request);
    http::HttpResponse Account(const http::HttpRequest& request);
    // Starts a session for `user` and sends the browser to the account page.
    http::HttpResponse StartSession(const std::string& user);

    struct AccountData {
        std::string password;
        std::string firstName;
    };

    mutable std::mutex m_mutex;  // handlers run on the server's thread, readers on others
    std::map<std::string, AccountData> m_accounts;
    std::map<std::string, std::string> m_sessions;  // token -> user name
};

}  // namespace veltrix::demosite
