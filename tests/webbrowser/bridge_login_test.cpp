// Saving a login from a live page and logging in with it again: what the user typed reaches the
// save offer before the page leaves, for a click, the Enter key and a script's submit, with POST
// and GET, and the submission then goes on to the site with the same data.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/record_io.h"
#include "core/record_kind.h"
#include "core/web_login.h"
#include "core/web_login_index.h"
#include "platform/text.h"
#include "tests/support/fake_password_source.h"
#include "tests/webbrowser/bridge_fixture.h"

namespace veltrix::test {
namespace {

using formviews::SaveWebLoginAnswer;
using ::testing::ElementsAre;
using Field = std::pair<std::string, std::string>;

class BridgeLoginTest : public BridgeTest {
protected:
    BridgeLoginTest() { ServeLoginSite(); }

    // The fields of the Web Login saved under `name`.
    std::vector<Field> SavedFields(std::u16string_view name) {
        FakePasswordSource passwords(kPassword);
        const auto read = ReadWebLogin(RecordPath(m_settings.GetRecordFolder(RecordKind::WebLogin),
                                                  name, RecordKind::WebLogin));
        std::vector<Field> fields;
        if (read.HasValue()) {
            for (const auto& field : read->GetFields()) {
                fields.emplace_back(text::ToUtf8(field.name), text::ToUtf8(field.data));
            }
        }
        return fields;
    }

    // Types a login, submits it with `submit` and checks what the site and the offer got.
    void SignInAndSave(std::string_view page, const std::function<bool()>& submit,
                       std::string_view method) {
        m_ui.QueuePassword(kPassword);  // the vault's first record: the password is chosen
        m_views.QueueSaveWebLogin(SaveWebLoginAnswer::Yes);
        ASSERT_TRUE(Open(page));
        ASSERT_TRUE(Type("#user", "ann"));
        ASSERT_TRUE(Type("#pass", "pw &1"));
        ASSERT_TRUE(submit());
        // The site gets the submission after the offer, with the typed data.
        const auto sent = WaitForRequest("/session", kWaitMs);
        ASSERT_TRUE(sent.has_value());
        EXPECT_EQ(sent->method, method);
        EXPECT_EQ(sent->Field("user"), "ann");
        EXPECT_EQ(sent->Field("pass"), "pw &1");
        ASSERT_TRUE(WaitForPage("/welcome"));
        EXPECT_THAT(m_views.SaveWebLoginDefaults(), ElementsAre(u"Bank  Sign in"));
        EXPECT_THAT(SavedFields(u"Bank  Sign in"),
                    ::testing::IsSupersetOf({Field("user", "ann"), Field("pass", "pw &1")}));
        EXPECT_EQ(LookupWebLogins(m_settings, Url("/login")),
                  std::vector<std::u16string>{u"Bank  Sign in"});
    }
};

TEST_F(BridgeLoginTest, AClickOnTheSubmitButtonIsOfferedBeforeThePageLeaves) {
    SignInAndSave(
        "/login", [this] { return Click("#go"); }, "POST");
    // The button the user clicked went with the data.
    EXPECT_EQ(WaitForRequest("/session", 10).value_or(http::HttpRequest{}).Field("go"), "Sign in");
    const auto announced = LogLines("BeforeNavigate2 top " + m_server.Url("/session"));
    ASSERT_FALSE(announced.empty());
    EXPECT_THAT(announced.front(), ::testing::HasSubstr("post=user=ann&pass=pw+%261"));
}

TEST_F(BridgeLoginTest, TheEnterKeyInThePasswordFieldIsOffered) {
    SignInAndSave(
        "/login", [this] { return PressEnter("#pass"); }, "POST");
}

TEST_F(BridgeLoginTest, AScriptSubmitWithPostIsOfferedFromTheDataItSends) {
    SignInAndSave(
        "/login", [this] { return ScriptSubmit("#login"); }, "POST");
    EXPECT_FALSE(LogLines("form submitted by script").empty());
}

TEST_F(BridgeLoginTest, AScriptSubmitWithGetIsOffered) {
    SignInAndSave(
        "/login-get", [this] { return ScriptSubmit("#login"); }, "GET");
}

TEST_F(BridgeLoginTest, AClickWithGetIsOfferedAndAnsweringNoSavesNothing) {
    m_ui.QueuePassword(kPassword);
    ASSERT_TRUE(Open("/login-get"));
    ASSERT_TRUE(Type("#user", "bob"));
    ASSERT_TRUE(Type("#pass", "x"));
    ASSERT_TRUE(Click("#go"));
    ASSERT_TRUE(WaitForPage("/welcome"));
    EXPECT_EQ(m_views.SaveWebLoginDefaults().size(), 1u);  // answered No
    EXPECT_TRUE(LookupWebLogins(m_settings, Url("/login-get")).empty());
    EXPECT_EQ(WaitForRequest("/session", 10).value_or(http::HttpRequest{}).Field("user"), "bob");
}

TEST_F(BridgeLoginTest, TheNextVisitLogsInAutomatically) {
    SetPreferences(config::pref::kAutoSubmit, config::pref::kPromptFillWebLogins);
    SaveWebLogin(u"Bank", u"ann", u"pw");
    m_ui.QueuePassword(kPassword);
    ASSERT_TRUE(Open("/login"));
    // Filled on the page and submitted: the site gets the saved values.
    const auto sent = WaitForRequest("/session", kWaitMs);
    ASSERT_TRUE(sent.has_value());
    EXPECT_EQ(sent->Field("user"), "ann");
    EXPECT_EQ(sent->Field("pass"), "pw");
    EXPECT_FALSE(sent->Field("remember").has_value());  // saved unchecked
    ASSERT_TRUE(WaitForPage("/welcome"));
    EXPECT_EQ(Js("document.body.textContent").toString(), "Signed in as ann");
    // One submit reached the site.
    const auto requests = m_server.Requests();
    EXPECT_EQ(std::count_if(requests.begin(), requests.end(),
                            [](const auto& request) { return request.path == "/session"; }),
              1);
    // An automatic submit is no typed login: no offer.
    EXPECT_TRUE(m_views.SaveWebLoginDefaults().empty());
}

}  // namespace
}  // namespace veltrix::test
