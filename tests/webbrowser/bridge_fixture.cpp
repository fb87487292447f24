#include "tests/webbrowser/bridge_fixture.h"

#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <chrono>
#include <iostream>

#include "browserhost/web/bridge_page.h"
#include "core/identity.h"
#include "core/orvane_interface.h"
#include "core/record_io.h"
#include "core/record_kind.h"
#include "core/web_login.h"
#include "core/web_login_index.h"
#include "formengine/helper/bho_view_interface.h"
#include "platform/com/com_ptr.h"
#include "platform/com/com_runtime.h"
#include "platform/text.h"
#include "tests/support/fake_password_source.h"

namespace veltrix::test {
namespace {

QString Quoted(std::string_view text) {
    QString out = QStringLiteral("\"");
    for (const QChar c : QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))) {
        if (c == u'"' || c == u'\\') {
            out += u'\\';
        }
        out += c;
    }
    return out + u'"';
}

constexpr char kLoginForm[] =
    "<title>Bank: Sign in</title>"
    "<form id=login action=/session method=%1>"
    "<label>User <input id=user name=user></label>"
    "<label>Password <input id=pass type=password name=pass></label>"
    "<input id=remember type=checkbox name=remember>"
    "<input id=go type=submit name=go value='Sign in'></form>";

// The JavaScript expression of the element `selector` names: "#id" in the top document, or
// "frameN:#id" in the document of frame N.
QString ElementExpression(std::string_view selector) {
    QString document = QStringLiteral("document");
    if (selector.starts_with("frame")) {
        const auto colon = selector.find(':');
        document = QStringLiteral("window.frames[%1].document")
                       .arg(QString::fromStdString(std::string(selector.substr(5, colon - 5))));
        selector.remove_prefix(colon + 1);
    }
    return document + QStringLiteral(".querySelector(") + Quoted(selector) + u')';
}

// A page that keeps the console's messages (script errors included) for a failure's reader.
class ConsolePage : public browserhost::BridgePage {
public:
    ConsolePage(QWebEngineProfile* profile, std::vector<std::string>* lines)
        : BridgePage(profile), m_lines(lines) {}

protected:
    void PageConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int line,
                            const QString& source) override {
        m_lines->push_back(source.toStdString() + ":" + std::to_string(line) + ": " +
                           message.left(500).toStdString());
    }

private:
    std::vector<std::string>* m_lines;
};

}  // namespace

BridgeTest::BridgeTest() {
    EXPECT_EQ(com::CallDllRegisterServer(ProgramFolder() / "libvtxcore.so"), com::S_OK);
    for (RecordKind kind : {RecordKind::WebLogin, RecordKind::Identity}) {
        std::filesystem::create_directories(text::ToUtf8(m_settings.GetRecordFolder(kind)));
    }
    EXPECT_TRUE(m_server.Start());
    // Off the record: nothing of the test's browsing is written to disk.
    m_profile = std::make_unique<QWebEngineProfile>();
    m_page = std::make_unique<ConsolePage>(m_profile.get(), &m_console);
    m_view = std::make_unique<QWebEngineView>();
    m_view->setPage(m_page.get());
    m_view->resize(900, 700);
    m_view->show();
    m_browser = std::make_unique<browserhost::LiveBrowser>(m_page.get(), 0x00A20001);
    QObject::connect(m_browser.get(), &browserhost::LiveBrowser::DocumentCompleted,
                     [this](const QString& url, bool top) {
                         if (top) {
                             m_completed.push_back(url.toStdString());
                         }
                     });
    QObject::connect(m_browser.get(), &browserhost::LiveBrowser::PageChanged,
                     [this] { ++m_changes; });
    EXPECT_EQ(m_browser->LoadHelperObjects(), 1);
}

BridgeTest::~BridgeTest() {
    // What the window saw, for a failure's reader.
    if (HasFailure()) {
        for (const auto& line : m_browser->Log()) {
            std::cerr << "  window: " << line << '\n';
        }
        for (const auto& line : m_console) {
            std::cerr << "  console: " << line << '\n';
        }
    }
    m_browser.reset();
    m_view.reset();
    m_page.reset();
    m_profile.reset();
    m_server.Stop();
    com::ComPtr<IOrvaneInterface> link;
    if (com::CoCreateInstance(CLSID_OrvaneInterface, IID_IOrvaneInterface, link.PutVoid()) ==
        com::S_OK) {
        link->SetPassword(nullptr);
        link->RegisterEditor(0);
    }
}

void BridgeTest::Serve(const std::string& path, std::string html) {
    m_server.Handle("GET", path, [html = std::move(html)](const http::HttpRequest&) {
        return http::HttpResponse::Html(html);
    });
}

void BridgeTest::ServeLoginSite() {
    Serve("/login", QString::fromUtf8(kLoginForm).arg("post").toStdString());
    Serve("/login-get", QString::fromUtf8(kLoginForm).arg("get").toStdString());
    m_server.Handle("", "/session", [](const http::HttpRequest& request) {
        auto response = http::HttpResponse::Redirect("/welcome");
        response.SetCookie("user", request.Field("user").value_or(""));
        return response;
    });
    m_server.Handle("GET", "/welcome", [](const http::HttpRequest& request) {
        return http::HttpResponse::Html("<title>Welcome</title><p>Signed in as " +
                                        request.Cookie("user").value_or("nobody"));
    });
}

std::u16string BridgeTest::Url(std::string_view path) const {
    return text::FromUtf8(m_server.Url(path));
}

bool BridgeTest::WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

bool BridgeTest::WaitForPage(std::string_view path) {
    const std::string wanted = m_server.Url(path);
    return WaitUntil(
        [&] { return !m_completed.empty() && m_completed.back().starts_with(wanted); });
}

bool BridgeTest::Open(std::string_view path) {
    m_completed.clear();
    m_page->load(QUrl(QString::fromStdString(m_server.Url(path))));
    return WaitForPage(path);
}

std::optional<http::HttpRequest> BridgeTest::WaitForRequest(std::string_view path, int timeoutMs) {
    std::optional<http::HttpRequest> found;
    WaitUntil(
        [&] {
            found = m_server.WaitForRequest(path, 0);
            return found.has_value();
        },
        timeoutMs);
    return found;
}

QVariant BridgeTest::Js(const QString& code) {
    QVariant result;
    bool done = false;
    m_page->runJavaScript(code, 0, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    WaitUntil([&] { return done; }, 5000);
    return result;
}

bool BridgeTest::Type(std::string_view selector, std::string_view text) {
    return Js(QStringLiteral(
                  "(function(){const e=%1; if(!e) return false;"
                  "e.focus(); e.value=%2;"
                  "e.dispatchEvent(new Event('input',{bubbles:true}));"
                  "e.dispatchEvent(new Event('change',{bubbles:true})); return true;})()")
                  .arg(ElementExpression(selector), Quoted(text)))
        .toBool();
}

bool BridgeTest::Click(std::string_view selector) {
    return Js(QStringLiteral("(function(){const e=%1; if(!e) return false;"
                             "e.click(); return true;})()")
                  .arg(ElementExpression(selector)))
        .toBool();
}

bool BridgeTest::PressEnter(std::string_view selector) {
    if (!Js(QStringLiteral("(function(){const e=%1; if(!e) return false;"
                           "e.focus(); return document.activeElement===e;})()")
                .arg(ElementExpression(selector)))
             .toBool()) {
        return false;
    }
    QWidget* target = m_view->focusProxy() ? m_view->focusProxy() : m_view.get();
    QTest::keyClick(target, Qt::Key_Return);
    return true;
}

bool BridgeTest::ScriptSubmit(std::string_view formSelector) {
    return Js(QStringLiteral("(function(){const f=%1; if(!f) return false;"
                             "f.submit(); return true;})()")
                  .arg(ElementExpression(formSelector)))
        .toBool();
}

std::string BridgeTest::PageValue(std::string_view selector) {
    return Js(QStringLiteral("(function(){const e=%1;"
                             "return e ? e.value : '<missing>';})()")
                  .arg(ElementExpression(selector)))
        .toString()
        .toStdString();
}

std::string BridgeTest::PageBackground(std::string_view selector) {
    return Js(QStringLiteral("(function(){const e=%1;"
                             "return e ? e.style.backgroundColor : '<missing>';})()")
                  .arg(ElementExpression(selector)))
        .toString()
        .toStdString();
}

std::string BridgeTest::PagePath() {
    return m_page->url().path().toStdString();
}

bool BridgeTest::RunCommand(std::string_view command) {
    std::uint64_t value = 0;
    if (com::FAILED(m_browser->Top()->GetProperty(kBhoViewProperty, &value)) || value == 0) {
        return false;
    }
    auto* unknown = reinterpret_cast<com::IUnknown*>(static_cast<std::uintptr_t>(value));
    com::ComPtr<IBHOView> view;
    if (com::FAILED(unknown->QueryInterface(IBHOView::kIid, view.PutVoid()))) {
        return false;
    }
    if (command == "fill") {
        return view->FillFormCommand() == com::S_OK;
    }
    if (command == "generate") {
        return view->GenerateCommand() == com::S_OK;
    }
    if (command == "save") {
        return view->SaveFormCommand() == com::S_OK;
    }
    return false;
}

void BridgeTest::SaveWebLogin(std::u16string_view name, std::u16string_view user,
                              std::u16string_view pass, std::u16string frameUrl) {
    FakePasswordSource passwords(kPassword);
    CWebLogin login;
    login.SetPageUrl(Url("/login"));
    login.SetFrameUrl(std::move(frameUrl));
    login.AddField({u"user", 0, 0, std::u16string(user), 0});
    login.AddField({u"pass", 0, 1, std::u16string(pass), 0});
    login.AddField({u"remember", 0, 2, u"on", 0});
    ASSERT_TRUE(WriteWebLogin(RecordPath(m_settings.GetRecordFolder(RecordKind::WebLogin), name,
                                         RecordKind::WebLogin),
                              login)
                    .HasValue());
    ASSERT_TRUE(AddWebLoginToIndex(m_settings, Url("/login"), name));
}

void BridgeTest::SaveIdentity(std::u16string_view name, std::u16string_view first) {
    FakePasswordSource passwords(kPassword);
    CIdentity identity;
    identity.Set(IdentityKey::FirstName, first);
    identity.Set(IdentityKey::LastName, u"Lee");
    identity.Set(IdentityKey::Email, u"ann@mail.example");
    identity.Set(IdentityKey::HomeCity, u"Springfield");
    ASSERT_TRUE(WriteIdentity(RecordPath(m_settings.GetRecordFolder(RecordKind::Identity), name,
                                         RecordKind::Identity),
                              identity)
                    .HasValue());
}

void BridgeTest::SetPreferences(std::uint32_t set, std::uint32_t clear) {
    m_settings.SetPreferences((config::pref::kDefault | set) & ~clear);
}

std::vector<std::string> BridgeTest::LogLines(std::string_view containing) const {
    std::vector<std::string> lines;
    for (const auto& line : m_browser->Log()) {
        if (line.find(containing) != std::string::npos) {
            lines.push_back(line);
        }
    }
    return lines;
}

}  // namespace veltrix::test
