// End-to-end tests of the page bridge: a live WebEngine page (offscreen) with the registered
// extension in its window, pages served by a loopback HTTP server, and the vault, registry and
// session of each test kept apart. The tests act in the page's own world as a user or the page's
// scripts would, and wait for what they expect with bounded, event-driven waits.
#pragma once

#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "browserhost/web/live_browser.h"
#include "core/configuration.h"
#include "formengine/generator/memory_generator_views.h"
#include "formengine/views/memory_form_views.h"
#include "tests/support/test_environment.h"
#include "tools/http/loopback_http_server.h"
#include "ui/scripted_ui.h"
#include "ui/views.h"

class QWebEnginePage;
class QWebEngineProfile;
class QWebEngineView;

namespace veltrix::test {

inline constexpr char16_t kPassword[] = u"Secret1";
inline constexpr int kWaitMs = 15000;

class BridgeTest : public ::testing::Test {
protected:
    BridgeTest();
    ~BridgeTest() override;

    // Pages: `path` answers a GET with `html`.
    void Serve(const std::string& path, std::string html);
    // The login site: /login (POST form), /login-get (GET form), /session (signs in, sets a
    // cookie and goes on to /welcome) and /welcome.
    void ServeLoginSite();
    std::u16string Url(std::string_view path) const;

    // Spins the event loop until `done` holds, at most `timeoutMs`; whether it held.
    bool WaitUntil(const std::function<bool()>& done, int timeoutMs = kWaitMs);
    // Loads `path` and waits until the helper objects have seen its top document complete.
    bool Open(std::string_view path);
    // Waits for the top document at `path` (after a submit or a redirect).
    bool WaitForPage(std::string_view path);
    // The latest request for `path` the site answered, waiting for one while the page works.
    std::optional<http::HttpRequest> WaitForRequest(std::string_view path, int timeoutMs = kWaitMs);
    // Runs `code` in the page's own world and waits for its result.
    QVariant Js(const QString& code);

    // What a user or a page's script does.
    bool Type(std::string_view selector, std::string_view text);
    bool Click(std::string_view selector);
    bool PressEnter(std::string_view selector);
    bool ScriptSubmit(std::string_view formSelector);
    std::string PageValue(std::string_view selector);
    std::string PageBackground(std::string_view selector);
    std::string PagePath();

    // Runs a command of the helper object ("fill", "generate"); false when none published itself.
    bool RunCommand(std::string_view command);
    // Writes a Web Login for /login with these values, as the editor would; `frameUrl`: the frame
    // it was saved from.
    void SaveWebLogin(std::u16string_view name, std::u16string_view user, std::u16string_view pass,
                      std::u16string frameUrl = {});
    void SaveIdentity(std::u16string_view name, std::u16string_view first);
    void SetPreferences(std::uint32_t set, std::uint32_t clear = 0);
    std::vector<std::string> LogLines(std::string_view containing) const;

    IsolatedEnvironment m_env;
    mutable config::Settings m_settings{platform::Registry::Default()};
    ui::ScriptedUi m_ui;
    formviews::MemoryFormViews m_views;
    generator::MemoryGeneratorViews m_generatorViews;
    ui::ViewFactory m_viewFactory{&m_views, &m_generatorViews};
    http::LoopbackHttpServer m_server;
    std::unique_ptr<QWebEngineProfile> m_profile;
    std::unique_ptr<QWebEnginePage> m_page;
    std::unique_ptr<QWebEngineView> m_view;
    std::unique_ptr<browserhost::LiveBrowser> m_browser;
    // The top documents completed, in order.
    std::vector<std::string> m_completed;
    int m_changes = 0;
    std::vector<std::string> m_console;
};

}  // namespace veltrix::test
