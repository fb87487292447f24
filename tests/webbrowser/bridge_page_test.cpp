// The extension on live pages beyond a plain login: the Fill Form prompt signing the user up, a
// form the page adds by script after it loaded, a login inside a frame of the same origin, the
// generator's fill, and a reset that takes the highlight away again.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/web_login_index.h"
#include "platform/text.h"
#include "tests/webbrowser/bridge_fixture.h"

namespace veltrix::test {
namespace {

using formviews::PromptButton;
using formviews::SaveWebLoginAnswer;

constexpr char kSignUpPage[] =
    "<title>Join</title><form id=join action=/joined method=post>"
    "<label>First name <input id=fn name=firstname></label>"
    "<label>Last name <input id=ln name=lastname></label>"
    "<label>Email <input id=em name=email></label>"
    "<label>City <input id=city name=city></label>"
    "<input type=reset id=clear value=Clear>"
    "<input type=submit id=send value=Join></form>";

class BridgePageTest : public BridgeTest {
protected:
    BridgePageTest() {
        ServeLoginSite();
        Serve("/signup", kSignUpPage);
        m_server.Handle("POST", "/joined", [](const http::HttpRequest&) {
            return http::HttpResponse::Html("<title>Joined</title>");
        });
    }
};

TEST_F(BridgePageTest, TheFillFormPromptSignsTheUserUpOnTheLivePage) {
    SaveIdentity(u"Ann", u"Ann");
    m_settings.SetCurrentIdentity(u"Ann");
    m_ui.QueuePassword(kPassword);
    ASSERT_TRUE(Open("/signup"));
    formviews::MemoryFillIdentityPrompt* prompt = m_views.FillIdentityPrompt();
    ASSERT_NE(prompt, nullptr);
    ASSERT_TRUE(prompt->IsVisible());
    prompt->Press(PromptButton::Yes);
    // The fill goes through to the page, highlighted.
    ASSERT_TRUE(WaitUntil([this] { return PageValue("#city") == "Springfield"; }));
    EXPECT_EQ(PageValue("#fn"), "Ann");
    EXPECT_EQ(PageValue("#ln"), "Lee");
    EXPECT_EQ(PageValue("#em"), "ann@mail.example");
    EXPECT_NE(PageBackground("#fn"), "");

    // A reset on the page clears the fill and takes the highlight away.
    ASSERT_TRUE(Click("#clear"));
    ASSERT_TRUE(WaitUntil([this] { return PageBackground("#fn").empty(); }));
    EXPECT_EQ(PageValue("#fn"), "");

    // Filled again by the command, the user joins with what was filled.
    ASSERT_TRUE(RunCommand("fill"));
    ASSERT_TRUE(prompt->IsVisible());
    prompt->Press(PromptButton::Yes);
    ASSERT_TRUE(WaitUntil([this] { return PageValue("#fn") == "Ann"; }));
    ASSERT_TRUE(Click("#send"));
    const auto sent = WaitForRequest("/joined");
    ASSERT_TRUE(sent.has_value());
    EXPECT_EQ(sent->Field("firstname"), "Ann");
    EXPECT_EQ(sent->Field("city"), "Springfield");
}

TEST_F(BridgePageTest, ALoginFormAddedByScriptAfterTheLoadIsFilledAndSubmitted) {
    Serve("/late",
          "<title>Late</title><div id=slot></div><script>"
          "window.addEventListener('load', () => setTimeout(() => {"
          "  document.getElementById('slot').innerHTML ="
          "    '<form id=login action=/session method=post><input id=user name=user>'"
          "    + '<input id=pass type=password name=pass><input type=submit id=go></form>';"
          "}, 300));</script>");
    SetPreferences(config::pref::kAutoSubmit, config::pref::kPromptFillWebLogins);
    SaveWebLogin(u"Bank", u"ann", u"pw");
    m_ui.QueuePassword(kPassword);
    ASSERT_TRUE(Open("/late"));
    EXPECT_TRUE(m_browser->TopDocument()->Forms().empty());
    // The page's change reaches the helper object as an in-page download: the rescan fills and
    // submits the new form.
    const auto sent = WaitForRequest("/session");
    ASSERT_TRUE(sent.has_value());
    EXPECT_EQ(sent->Field("user"), "ann");
    EXPECT_EQ(sent->Field("pass"), "pw");
    EXPECT_GE(m_changes, 1);
    EXPECT_FALSE(LogLines("DownloadComplete top").empty());
    ASSERT_TRUE(WaitForPage("/welcome"));
}

TEST_F(BridgePageTest, ALoginInASameOriginFrameIsSeenAndSaved) {
    Serve("/framed", "<title>Framed bank</title><p>Sign in below</p><iframe src=/login></iframe>");
    m_ui.QueuePassword(kPassword);
    m_views.QueueSaveWebLogin(SaveWebLoginAnswer::Yes);
    ASSERT_TRUE(Open("/framed"));
    ASSERT_EQ(m_browser->FrameCount(), 1u);
    ASSERT_NE(m_browser->FrameDocument(0), nullptr);
    EXPECT_EQ(m_browser->FrameDocument(0)->Forms().size(), 1u);
    EXPECT_EQ(m_browser->FrameBrowser(0)->LocationUrl(), Url("/login"));
    // The frame completed before the top document, as a browser reports it.
    const auto frameComplete = LogLines("DocumentComplete frame 0");
    ASSERT_EQ(frameComplete.size(), 1u);

    ASSERT_TRUE(Type("frame0:#user", "ann"));
    ASSERT_TRUE(Type("frame0:#pass", "in a frame"));
    ASSERT_TRUE(Click("frame0:#go"));
    const auto sent = WaitForRequest("/session");
    ASSERT_TRUE(sent.has_value());
    EXPECT_EQ(sent->Field("pass"), "in a frame");
    ASSERT_TRUE(WaitUntil([this] {
        return !LogLines("DocumentComplete frame 0 " + m_server.Url("/welcome")).empty();
    }));
    // Offered with the top document's title, before the frame left.
    EXPECT_THAT(m_views.SaveWebLoginDefaults(), ::testing::ElementsAre(u"Framed bank"));
    EXPECT_FALSE(LogLines("BeforeNavigate2 frame 0 " + m_server.Url("/session") +
                          " post=user=ann&pass=in+a+frame")
                     .empty());
    EXPECT_EQ(LookupWebLogins(m_settings, Url("/framed")).size(), 1u);
}

TEST_F(BridgePageTest, TheGeneratorFillsThePasswordFieldsOfTheLivePage) {
    ASSERT_TRUE(Open("/login"));
    ASSERT_TRUE(Type("#user", "ann"));
    ASSERT_TRUE(RunCommand("generate"));
    generator::MemoryGeneratorWindow* window = m_generatorViews.Window();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(window->IsVisible());
    ASSERT_TRUE(window->Press(generator::GeneratorButton::Generate));
    const std::string password = text::ToUtf8(window->Output());
    ASSERT_EQ(password.size(), 8u);
    ASSERT_TRUE(window->Press(generator::GeneratorButton::Fill));
    ASSERT_TRUE(WaitUntil([&] { return PageValue("#pass") == password; }));
    EXPECT_EQ(PageValue("#user"), "ann");  // the user's typing stays
}

TEST_F(BridgePageTest, TheWebLoginPromptFollowsTheWindowAndFillsThePage) {
    SaveWebLogin(u"One", u"ann", u"1");
    SaveWebLogin(u"Two", u"bob", u"2");
    m_ui.QueuePassword(kPassword);
    ASSERT_TRUE(Open("/login"));
    formviews::MemoryFillWebLoginPrompt* prompt = m_views.FillWebLoginPrompt();
    ASSERT_TRUE(prompt != nullptr && prompt->IsVisible());
    m_browser->SetWindowState(false, true);
    EXPECT_FALSE(prompt->IsVisible());
    m_browser->SetWindowState(true, true);
    ASSERT_TRUE(prompt->IsVisible());
    ASSERT_TRUE(prompt->SelectWebLogin(u"Two"));
    prompt->Press(PromptButton::Yes);
    ASSERT_TRUE(WaitUntil([this] { return PageValue("#pass") == "2"; }));
    EXPECT_EQ(PageValue("#user"), "bob");
}

}  // namespace
}  // namespace veltrix::test
