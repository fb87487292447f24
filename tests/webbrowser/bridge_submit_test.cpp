// Held submissions on live pages: a submit button that sends the form elsewhere, pages that stop
// the submit event on its way or cancel it late, and submissions that escape the page bridge
// altogether. Each test checks what the helper object saw (the save offer, the announced data)
// and where the browser went (the site's request log).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

#include "platform/text.h"
#include "tests/webbrowser/bridge_fixture.h"

namespace veltrix::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::SizeIs;

// A login form that by itself goes nowhere useful (GET to /wrong). `buttons` and `script` come
// after it; the hidden control named "action" hides the form's own action property from scripts.
std::string LoginPage(std::string_view buttons, std::string_view script = "",
                      std::string_view form = "action=/wrong method=get") {
    return "<title>Bank: Sign in</title><form id=login " + std::string(form) +
           "><input type=hidden name=action value=signin>"
           "<label>User <input id=user name=user></label>"
           "<label>Password <input id=pass type=password name=pass></label>" +
           std::string(buttons) + "</form><script>" + std::string(script) + "</script>";
}

// A page script that keeps HTMLFormElement.prototype.submit of a fresh frame's world, which the
// bridge's hook never sees; the test calls it.
constexpr char kPristineSubmit[] =
    "const spare = document.createElement('iframe'); document.body.appendChild(spare);"
    "window.pristineSubmit = spare.contentWindow.HTMLFormElement.prototype.submit;"
    "spare.remove();";

class BridgeSubmitTest : public BridgeTest {
protected:
    BridgeSubmitTest() {
        ServeLoginSite();
        m_server.Handle("", "/nocontent",
                        [](const http::HttpRequest&) { return http::HttpResponse::Text(204, ""); });
        m_ui.QueuePassword(kPassword);  // the vault's first record: the password is chosen
    }

    void TypeLogin(std::string_view selectorPrefix = "") {
        ASSERT_TRUE(Type(std::string(selectorPrefix) + "#user", "ann"));
        ASSERT_TRUE(Type(std::string(selectorPrefix) + "#pass", "pw &1"));
    }

    // Waits until the host's copy of the top document holds what the user typed.
    bool HostHasLogin() {
        return WaitUntil([this] {
            const auto document = m_browser->TopDocument();
            const auto user = document ? document->ElementById(u"user") : nullptr;
            return user && user->GetAttribute(u"value") == u"ann";
        });
    }

    std::vector<http::HttpRequest> RequestsFor(std::string_view path) const {
        auto requests = m_server.Requests();
        std::erase_if(requests, [&](const auto& request) { return request.path != path; });
        return requests;
    }

    // The BeforeNavigate2 lines announcing a navigation of `who` to `path`.
    std::vector<std::string> Announced(std::string_view path, std::string_view who = "top") {
        return LogLines("BeforeNavigate2 " + std::string(who) + " " + m_server.Url(path));
    }

    // The login reached the site by `method` and the offer was made with what the user typed.
    void ExpectSignedInAndOffered(std::string_view method) {
        const auto sent = WaitForRequest("/session");
        ASSERT_TRUE(sent.has_value());
        EXPECT_EQ(sent->method, method);
        EXPECT_EQ(sent->Field("user"), "ann");
        EXPECT_EQ(sent->Field("pass"), "pw &1");
        ASSERT_TRUE(WaitForPage("/welcome"));
        EXPECT_THAT(m_views.SaveWebLoginDefaults(), ElementsAre(u"Bank  Sign in"));
        EXPECT_THAT(RequestsFor("/session"), SizeIs(1));
        EXPECT_THAT(Announced("/session"), SizeIs(1));  // announced once, never twice
    }
};

// ---- A submit button's own action, method, encoding and target ----

TEST_F(BridgeSubmitTest, TheClickedButtonsActionAndMethodAreWhereTheLoginGoes) {
    Serve("/signin", LoginPage("<button id=other name=go value=a>Other</button>"
                               "<button id=go name=go value=b formaction=/session "
                               "formmethod=post>Sign in</button>"));
    ASSERT_TRUE(Open("/signin"));
    TypeLogin();
    ASSERT_TRUE(Click("#go"));
    ExpectSignedInAndOffered("POST");
    EXPECT_EQ(WaitForRequest("/session", 10).value_or(http::HttpRequest{}).Field("go"), "b");
    EXPECT_THAT(RequestsFor("/wrong"), IsEmpty());
    // The helper object saw the data the browser sent, button included.
    const auto announced = Announced("/session");
    ASSERT_THAT(announced, SizeIs(1));
    EXPECT_THAT(announced.front(), HasSubstr("post=action=signin&user=ann&pass=pw+%261&go=b"));
}

TEST_F(BridgeSubmitTest, ATextPlainGetOverrideSendsWhatWasAnnouncedAndTheFormIsPutBack) {
    Serve("/signin", LoginPage("<input id=plain type=submit name=go value=p formaction=/nocontent "
                               "formmethod=post formenctype=text/plain>"
                               "<input id=get type=submit name=go value=g formaction=/nocontent "
                               "formmethod=get formtarget=_self>",
                               "", "action=/wrong method=post target=_self"));
    ASSERT_TRUE(Open("/signin"));
    TypeLogin();

    // text/plain: the body is name=value lines, as announced.
    ASSERT_TRUE(Click("#plain"));
    const auto plain = WaitForRequest("/nocontent");
    ASSERT_TRUE(plain.has_value());
    EXPECT_EQ(plain->method, "POST");
    EXPECT_EQ(plain->body, "action=signin\r\nuser=ann\r\npass=pw &1\r\ngo=p\r\n");
    const auto announcedPlain = Announced("/nocontent");
    ASSERT_THAT(announcedPlain, SizeIs(1));
    EXPECT_THAT(announcedPlain.front(), HasSubstr("post=" + plain->body));

    // The answer keeps the page: the form has its own attributes back.
    EXPECT_EQ(Js("['action','method','enctype','target'].map(n => "
                 "document.getElementById('login').getAttribute(n)).join()")
                  .toString(),
              "/wrong,post,,_self");

    // GET: the data goes in the query the helper object was told of.
    m_server.ClearRequests();
    ASSERT_TRUE(Click("#get"));
    const auto get = WaitForRequest("/nocontent");
    ASSERT_TRUE(get.has_value());
    EXPECT_EQ(get->method, "GET");
    EXPECT_EQ(get->target, "/nocontent?action=signin&user=ann&pass=pw+%261&go=g");
    EXPECT_THAT(Announced(get->target), SizeIs(1));
    EXPECT_THAT(RequestsFor("/wrong"), IsEmpty());
}

TEST_F(BridgeSubmitTest, AFramesFormThatTargetsTheTopIsAnnouncedOnceForTheTop) {
    Serve("/signin", LoginPage("<input id=go type=submit name=go value=Go formtarget=_top>", "",
                               "action=/session method=post"));
    Serve("/framed", "<title>Bank: Sign in</title><iframe src=/signin></iframe>");
    ASSERT_TRUE(Open("/framed"));
    ASSERT_TRUE(WaitUntil([this] {
        const auto document = m_browser->FrameDocument(0);
        return document && document->ElementById(u"go");
    }));
    TypeLogin("frame0:");
    ASSERT_TRUE(Click("frame0:#go"));
    ExpectSignedInAndOffered("POST");
    EXPECT_THAT(Announced("/session").front(), HasSubstr("post=action=signin&user=ann"));
    EXPECT_THAT(Announced("/session", "frame 0"), IsEmpty());
}

TEST_F(BridgeSubmitTest, AFormAimedAtANamedFrameIsAnnouncedOnceForThatFrame) {
    m_server.Handle("POST", "/result", [](const http::HttpRequest& request) {
        return http::HttpResponse::Html("Result for " + request.Field("user").value_or(""));
    });
    Serve("/blank", "<p>");
    Serve("/signin", LoginPage("<input id=go type=submit name=go value=Go>", "",
                               "action=/result method=post target=result") +
                         "<iframe name=other src=/blank></iframe>"
                         "<iframe name=result src=/blank></iframe>");
    ASSERT_TRUE(Open("/signin"));
    ASSERT_TRUE(WaitUntil([this] { return m_browser->FrameCount() == 2; }));
    TypeLogin();
    ASSERT_TRUE(Click("#go"));
    ASSERT_TRUE(WaitUntil([this] { return !m_views.SaveWebLoginDefaults().empty(); }));
    const auto sent = WaitForRequest("/result");
    ASSERT_TRUE(sent.has_value());
    EXPECT_EQ(sent->Field("pass"), "pw &1");
    ASSERT_TRUE(WaitUntil([this] {
        return Js("frames[1].document.body.textContent").toString() == "Result for ann";
    }));
    const auto announced = Announced("/result", "frame 1");
    ASSERT_THAT(announced, SizeIs(1));
    EXPECT_THAT(announced.front(), HasSubstr("post=action=signin&user=ann"));
    EXPECT_THAT(Announced("/result"), IsEmpty());
    EXPECT_EQ(PagePath(), "/signin");
}

// ---- Pages that stop the submit event or cancel it late ----

struct Stopper {
    const char* name;
    const char* script;  // runs after the form
};

void PrintTo(const Stopper& stopper, std::ostream* out) {
    *out << stopper.name;
}

class BridgeStoppedSubmitTest : public BridgeSubmitTest,
                                public ::testing::WithParamInterface<Stopper> {};

TEST_P(BridgeStoppedSubmitTest, AStoppedButUncancelledSubmitIsStillHeld) {
    Serve("/signin", LoginPage("<input id=go type=submit name=go value=Go>", GetParam().script,
                               "action=/session method=post"));
    ASSERT_TRUE(Open("/signin"));
    TypeLogin();
    ASSERT_TRUE(Click("#go"));
    ExpectSignedInAndOffered("POST");
    // Held by the bridge, not caught as it escaped.
    EXPECT_THAT(LogLines("was not held"), IsEmpty());
    EXPECT_THAT(Announced("/session").front(), HasSubstr("post=action=signin&user=ann"));
}

INSTANTIATE_TEST_SUITE_P(
    WhereThePageStopsIt, BridgeStoppedSubmitTest,
    ::testing::Values(Stopper{"AtTheForm",
                              "login.addEventListener('submit', e => e.stopPropagation());"},
                      Stopper{"OnTheWayDown",
                              "document.addEventListener('submit', e => e.stopPropagation(),"
                              " true);"},
                      Stopper{"OnTheWayUp",
                              "document.body.addEventListener('submit',"
                              " e => e.stopPropagation());"}),
    [](const auto& info) { return std::string(info.param.name); });

// The page signs in by itself (its listener on window runs after the bridge's), or a script
// dispatches a submit event, which submits nothing: nothing goes, nothing is announced.
TEST_F(BridgeSubmitTest, ASubmitThePageCancelsOrOnlyPretendsStaysOnThePage) {
    Serve("/signin", LoginPage("<input id=go type=submit name=go value=Go>",
                               "window.addEventListener('submit', e => { e.preventDefault();"
                               " fetch('/nocontent?by=page', {method: 'POST'}); });",
                               "action=/session method=post"));
    ASSERT_TRUE(Open("/signin"));
    TypeLogin();
    ASSERT_TRUE(Click("#go"));
    ASSERT_TRUE(WaitForRequest("/nocontent").has_value());
    m_server.ClearRequests();
    Js("login.dispatchEvent(new Event('submit', {bubbles: true}))");  // cannot be prevented
    ASSERT_TRUE(WaitForRequest("/nocontent").has_value());
    // Long enough for a held submission to have been announced and let go.
    WaitUntil([] { return false; }, 700);
    EXPECT_THAT(RequestsFor("/session"), IsEmpty());
    EXPECT_THAT(Announced("/session"), IsEmpty());
    EXPECT_EQ(PagePath(), "/signin");
    EXPECT_THAT(m_views.SaveWebLoginDefaults(), IsEmpty());
}

TEST_F(BridgeSubmitTest, AFormWhoseActionTheSubmitListenerChangesIsAnnouncedOnce) {
    Serve("/signin",
          LoginPage("<input id=go type=submit name=go value=Go>",
                    "login.addEventListener('submit', () => login.setAttribute('action', "
                    "'/session'));",
                    "action=/wrong method=post"));
    ASSERT_TRUE(Open("/signin"));
    TypeLogin();
    ASSERT_TRUE(Click("#go"));
    ASSERT_TRUE(WaitForPage("/welcome"));
    EXPECT_EQ(WaitForRequest("/session").value_or(http::HttpRequest{}).Field("user"), "ann");
    EXPECT_THAT(m_views.SaveWebLoginDefaults(), SizeIs(1));
    // The host knew the form's old action; the data it announced is what was sent, once.
    const auto withData = LogLines("post=action=signin&user=ann&pass=pw+%261");
    ASSERT_THAT(withData, SizeIs(1));
    EXPECT_THAT(withData.front(), HasSubstr("BeforeNavigate2 top"));
    EXPECT_THAT(LogLines("was not held"), IsEmpty());
}

// ---- Submissions the page bridge never held ----

struct Escape {
    const char* name;
    const char* form;     // the form's attributes
    const char* script;   // runs after the form
    const char* trigger;  // in the page's world, once the host has the typed values
    const char* method;
};

void PrintTo(const Escape& escape, std::ostream* out) {
    *out << escape.name;
}

class BridgeEscapedSubmitTest : public BridgeSubmitTest,
                                public ::testing::WithParamInterface<Escape> {};

TEST_P(BridgeEscapedSubmitTest, IsAnnouncedOnceWithTheFormsData) {
    Serve("/signin", LoginPage("<input id=go type=submit name=go value=Go>", GetParam().script,
                               GetParam().form));
    ASSERT_TRUE(Open("/signin"));
    TypeLogin();
    ASSERT_TRUE(HostHasLogin());
    Js(GetParam().trigger);
    ExpectSignedInAndOffered(GetParam().method);
    const auto escaped = LogLines("was not held");
    ASSERT_THAT(escaped, SizeIs(1));
    EXPECT_THAT(escaped.front(), HasSubstr("with the data of a form in top"));
    EXPECT_THAT(Announced("/session").front(), HasSubstr("user=ann&pass=pw+%261"));
}

INSTANTIATE_TEST_SUITE_P(
    HowItEscapes, BridgeEscapedSubmitTest,
    ::testing::Values(Escape{"ASubmitFromAFreshFramesWorldWithPost", "action=/session method=post",
                             kPristineSubmit, "pristineSubmit.call(login)", "POST"},
                      Escape{"ASubmitFromAFreshFramesWorldWithGet", "action=/session method=get",
                             kPristineSubmit, "pristineSubmit.call(login)", "GET"},
                      Escape{"AListenerThatStopsTheEventAtOnce", "action=/session method=post",
                             "login.addEventListener('submit', e => e.stopImmediatePropagation());",
                             "go.click()", "POST"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BridgeSubmitTest, AFramesEscapedSubmitIsAnnouncedForTheFrame) {
    Serve("/signin", LoginPage("<input id=go type=submit name=go value=Go>", kPristineSubmit,
                               "action=/session method=post"));
    Serve("/framed", "<title>Bank: Sign in</title><iframe src=/signin></iframe>");
    ASSERT_TRUE(Open("/framed"));
    ASSERT_TRUE(WaitUntil([this] {
        const auto document = m_browser->FrameDocument(0);
        return document && document->ElementById(u"user");
    }));
    TypeLogin("frame0:");
    ASSERT_TRUE(WaitUntil([this] {
        const auto user = m_browser->FrameDocument(0)->ElementById(u"user");
        return user && user->GetAttribute(u"value") == u"ann";
    }));
    Js("frames[0].pristineSubmit.call(frames[0].login)");
    const auto sent = WaitForRequest("/session");
    ASSERT_TRUE(sent.has_value());
    EXPECT_EQ(sent->Field("user"), "ann");
    ASSERT_TRUE(WaitUntil([this] { return !m_views.SaveWebLoginDefaults().empty(); }));
    EXPECT_THAT(LogLines("form submission in frame 0"), SizeIs(1));
    const auto announced = Announced("/session", "frame 0");
    ASSERT_THAT(announced, SizeIs(1));
    EXPECT_THAT(announced.front(), HasSubstr("post=action=signin&user=ann&pass=pw+%261"));
    EXPECT_THAT(Announced("/session"), IsEmpty());  // not the top's navigation
}

}  // namespace
}  // namespace veltrix::test
