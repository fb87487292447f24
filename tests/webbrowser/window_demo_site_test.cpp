// The browser window on the demonstration site served from loopback: signing up and logging out
// work through the window, the session cookie is kept by the user's profile for every normal
// window, and a private window sees none of it.
#include <QPointer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <memory>

#include "browserhost/web/browser_window.h"
#include "browserhost/web/browser_windows.h"
#include "tests/webbrowser/window_test_support.h"
#include "tools/demo_site.h"

namespace veltrix::browserhost {
namespace {

using test::WaitUntil;

class WindowDemoSiteTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_server.Start()); }
    void TearDown() override {
        m_windows.reset();
        m_server.Stop();
    }

    QUrl Url(const std::string& path) const {
        return QUrl(QString::fromStdString(m_server.Url(path)));
    }

    static void RunScript(BrowserWindow& window, const QString& script) {
        window.View()->page()->runJavaScript(script);
    }

    http::LoopbackHttpServer m_server;
    demosite::DemoSite m_site{m_server, VELTRIX_DEMO_SITE_SOURCE};
    std::unique_ptr<BrowserWindows> m_windows = std::make_unique<BrowserWindows>();
};

TEST_F(WindowDemoSiteTest, SignUpLogOutAndTheSessionCookieOfTheProfile) {
    BrowserWindow* window = m_windows->Open(Url("/signup.html"), false);
    ASSERT_TRUE(WaitUntil([&] { return window->windowTitle() == "Harbor Books - Sign up"; }));
    RunScript(*window,
              "document.getElementById('fname').value = '<i>Ann</i>';"
              "document.getElementById('username').value = 'ann';"
              "document.getElementById('password').value = 'pw 1';"
              "document.forms.signup.submit();");
    ASSERT_TRUE(WaitUntil([&] { return window->windowTitle() == "Harbor Books - My account"; }));
    EXPECT_EQ(window->View()->url(), Url("/account"));
    // The name typed is shown as text, not taken for markup.
    QString greeting;
    window->View()->page()->runJavaScript(
        "document.querySelector('h1').textContent",
        [&greeting](const QVariant& v) { greeting = v.toString(); });
    ASSERT_TRUE(WaitUntil([&] { return !greeting.isEmpty(); }));
    EXPECT_EQ(greeting, "Hello, <i>Ann</i>");
    EXPECT_EQ(m_site.AccountCount(), 1u);
    const auto signup = m_server.WaitForRequest("/signup", 1000);
    ASSERT_TRUE(signup.has_value());
    EXPECT_EQ(signup->Field("password"), "pw 1");

    // Another normal window shares the user's profile and its session cookie.
    BrowserWindow* second = m_windows->Open(Url("/account"), false);
    ASSERT_TRUE(WaitUntil([&] { return second->windowTitle() == "Harbor Books - My account"; }));
    // A private window does not: the account page sends it to the login.
    BrowserWindow* priv = m_windows->Open(Url("/account"), true);
    ASSERT_TRUE(
        WaitUntil([&] { return priv->windowTitle() == "Harbor Books - Log in (Private)"; }));

    RunScript(*window, "document.getElementById('logout').click();");
    ASSERT_TRUE(WaitUntil([&] { return window->windowTitle() == "Harbor Books - Log in"; }));
    second->Load(Url("/account"));
    ASSERT_TRUE(WaitUntil([&] { return second->windowTitle() == "Harbor Books - Log in"; }));
}

TEST_F(WindowDemoSiteTest, PrivateCookiesLastAsLongAsAPrivateWindowIsOpen) {
    QPointer<BrowserWindow> first = m_windows->Open(Url("/signup.html"), true);
    ASSERT_TRUE(
        WaitUntil([&] { return first->windowTitle() == "Harbor Books - Sign up (Private)"; }));
    RunScript(*first,
              "document.getElementById('username').value = 'bo';"
              "document.getElementById('password').value = 'pw';"
              "document.forms.signup.submit();");
    ASSERT_TRUE(
        WaitUntil([&] { return first->windowTitle() == "Harbor Books - My account (Private)"; }));
    // Private windows open together share their session.
    QPointer<BrowserWindow> second = m_windows->Open(Url("/account"), true);
    ASSERT_TRUE(
        WaitUntil([&] { return second->windowTitle() == "Harbor Books - My account (Private)"; }));
    // The user's own profile never saw it.
    BrowserWindow* normal = m_windows->Open(Url("/account"), false);
    ASSERT_TRUE(WaitUntil([&] { return normal->windowTitle() == "Harbor Books - Log in"; }));

    first->close();
    second->close();
    ASSERT_TRUE(WaitUntil([&] { return first.isNull() && second.isNull(); }));
    // Let the released profile go before the next private window.
    WaitUntil([] { return false; }, 200);
    BrowserWindow* later = m_windows->Open(Url("/account"), true);
    ASSERT_TRUE(
        WaitUntil([&] { return later->windowTitle() == "Harbor Books - Log in (Private)"; }));
}

TEST_F(WindowDemoSiteTest, WrongPasswordIsRefusedAndTheNameIsShownEscaped) {
    BrowserWindow* window = m_windows->Open(Url("/login.html"), false);
    ASSERT_TRUE(WaitUntil([&] { return window->windowTitle() == "Harbor Books - Log in"; }));
    RunScript(*window,
              "document.getElementById('username').value = 'nobody';"
              "document.getElementById('password').value = 'x';"
              "document.forms.login.submit();");
    ASSERT_TRUE(WaitUntil([&] { return window->windowTitle() == "Harbor Books - Try again"; }));
    EXPECT_EQ(demosite::EscapeHtml("<a href=\"x\">'&'</a>"),
              "&lt;a href=&quot;x&quot;&gt;&#39;&amp;&#39;&lt;/a&gt;");
}

}  // namespace
}  // namespace veltrix::browserhost
