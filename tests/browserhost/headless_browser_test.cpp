// The headless browser with a recording helper object: the order of the navigation and document
// events for pages with frames, the navigations of user and script submits and links, in-page
// downloads, the property store, commands, closing, and helper objects named by the registry.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "browserhost/headless_browser.h"
#include "platform/com/com_runtime.h"
#include "platform/registry.h"
#include "tests/browserhost/fake_helper.h"
#include "tests/support/test_environment.h"

namespace veltrix::browserhost {
namespace {

using testing::FakeHelper;
using testing::RecordedEvent;

const std::u16string kSite = u"http://site.test/";

std::filesystem::path Page(const char* name) {
    return test::TestDataFolder() / "pages" / name;
}

std::string Name(com::DispId id) {
    switch (id) {
        case dispid::kBeforeNavigate2:
            return "BeforeNavigate2";
        case dispid::kNavigateComplete2:
            return "NavigateComplete2";
        case dispid::kDocumentComplete:
            return "DocumentComplete";
        case dispid::kDownloadBegin:
            return "DownloadBegin";
        case dispid::kDownloadComplete:
            return "DownloadComplete";
        case dispid::kWindowStateChanged:
            return "WindowStateChanged";
        case dispid::kOnQuit:
            return "OnQuit";
        case FakeHelper::kFormEventMarker:
            return "form";
        default:
            return std::to_string(id);
    }
}

class HeadlessBrowserTest : public ::testing::Test {
protected:
    HeadlessBrowserTest() : m_helper(new FakeHelper) {
        for (const char* name : {"host_login.html", "host_frames.html", "host_frame_a.html",
                                 "host_frame_b.html", "host_frame_c.html"}) {
            m_browser.MapPage(kSite + text::FromUtf8(name), Page(name));
        }
        EXPECT_TRUE(m_browser.AttachHelperObject(static_cast<IObjectWithSite*>(m_helper.Get())));
    }

    // The browser object's name now: "top", "frameN", or "gone".
    std::string Who(IWebBrowser* browser) {
        if (browser == m_browser.Top()) {
            return "top";
        }
        for (std::size_t i = 0; i < m_browser.FrameCount(); ++i) {
            if (m_browser.FrameBrowser(i) == browser) {
                return "frame" + std::to_string(i);
            }
        }
        return "gone";
    }

    // The events since the last call, as "Name who url [post]".
    std::vector<std::string> Events() {
        std::vector<std::string> out;
        for (std::size_t i = m_seen; i < m_helper->events.size(); ++i) {
            const RecordedEvent& e = m_helper->events[i];
            std::string line = Name(e.id);
            if (e.id != FakeHelper::kFormEventMarker) {
                line += " " + Who(e.browser);
            }
            if (!e.url.empty()) {
                line += " " + e.url;
            }
            if (!e.postData.empty()) {
                line += " [" + e.postData + "]";
            }
            out.push_back(line);
        }
        m_seen = m_helper->events.size();
        return out;
    }

    // The one BeforeNavigate2 since the last call to Events().
    RecordedEvent LastBeforeNavigate() {
        const RecordedEvent* found = nullptr;
        for (std::size_t i = m_seen; i < m_helper->events.size(); ++i) {
            if (m_helper->events[i].id == dispid::kBeforeNavigate2) {
                found = &m_helper->events[i];
            }
        }
        Events();
        return found ? *found : RecordedEvent{};
    }

    void OpenLogin() {
        ASSERT_TRUE(m_browser.Navigate(kSite + u"host_login.html"));
        Events();
    }

    test::IsolatedEnvironment m_environment;
    HeadlessBrowser m_browser;
    com::ComPtr<FakeHelper> m_helper;
    std::size_t m_seen = 0;
};

TEST_F(HeadlessBrowserTest, TopPageWithFramesReportsEachFrameBeforeTheTopCompletes) {
    ASSERT_TRUE(m_browser.Navigate(kSite + u"host_frames.html"));
    const std::string a = "http://site.test/host_frame_a.html";
    const std::string b = "http://site.test/host_frame_b.html";
    const std::string c = "http://site.test/host_frame_c.html";
    const std::string top = "http://site.test/host_frames.html";
    EXPECT_EQ(Events(), (std::vector<std::string>{
                            "BeforeNavigate2 top " + top,
                            "NavigateComplete2 top " + top,
                            "BeforeNavigate2 frame0 " + a,
                            "NavigateComplete2 frame0 " + a,
                            "BeforeNavigate2 frame1 " + c,
                            "NavigateComplete2 frame1 " + c,
                            "DocumentComplete frame1 " + c,
                            "DocumentComplete frame0 " + a,
                            "BeforeNavigate2 frame2 " + b,
                            "NavigateComplete2 frame2 " + b,
                            "DocumentComplete frame2 " + b,
                            "DocumentComplete top " + top,
                        }));
    // BeforeNavigate2 comes while the old page is still shown; NavigateComplete2 after the swap.
    EXPECT_EQ(m_helper->events[0].locationThen, "");
    EXPECT_EQ(m_helper->events[1].locationThen, top);
    ASSERT_EQ(m_browser.FrameCount(), 3u);
    EXPECT_EQ(m_browser.FrameDocument(0)->Title(), u"Frame A");
    EXPECT_EQ(m_browser.FrameDocument(1)->Title(), u"Frame C");
    EXPECT_EQ(m_browser.FrameBrowser(3), nullptr);

    // A new top page takes the frames away.
    ASSERT_TRUE(m_browser.Navigate(kSite + u"host_login.html"));
    EXPECT_EQ(m_browser.FrameCount(), 0u);
}

TEST_F(HeadlessBrowserTest, AFormInAFrameNavigatesOnlyThatFrame) {
    ASSERT_TRUE(m_browser.Navigate(kSite + u"host_frames.html"));
    Events();
    auto topDocument = m_browser.TopDocument();
    IWebBrowser* frameB = m_browser.FrameBrowser(2);

    ASSERT_TRUE(m_browser.Type(u"frame0:fuser", u"ann"));
    ASSERT_TRUE(m_browser.Type(u"frame0:#fpass", u"pw"));
    ASSERT_TRUE(m_browser.Click(u"frame0:#fgo"));
    const std::string welcome = "http://site.test/welcome.html";
    EXPECT_EQ(Events(), (std::vector<std::string>{
                            "form click",
                            "form submit",
                            "BeforeNavigate2 frame0 " + welcome + " [fuser=ann&fpass=pw]",
                            "NavigateComplete2 frame0 " + welcome,
                            "DocumentComplete frame0 " + welcome,
                        }));
    EXPECT_EQ(m_browser.TopDocument(), topDocument);
    ASSERT_EQ(m_browser.FrameCount(), 2u);  // the nested frame went with frame A's old page
    EXPECT_EQ(m_browser.FrameBrowser(1), frameB);
    EXPECT_EQ(m_browser.FrameBrowser(0)->LocationUrl(), text::FromUtf8(welcome));
    EXPECT_EQ(m_browser.Top()->LocationUrl(), u"http://site.test/host_frames.html");
}

TEST_F(HeadlessBrowserTest, UserSubmitsPostTheSuccessfulControlsInDocumentOrder) {
    const std::string target = "http://site.test/account/signin?from=home";
    const std::string common =
        "token=a+b%26c&user=alice&pass=p%40ss+w%C3%A9&agree=yes&lang=Deutsch&r=on&note=hi";
    struct Case {
        const char* action;  // "click:SEL" or "enter:SEL"
        std::string post;
    };
    const Case cases[] = {
        {"click:#go", common + "&login=Sign+in"},
        {"click:#other", common + "&alt=Other"},
        {"click:#btn", common + "&b=v"},
        {"click:#pic", common + "&pic.x=0&pic.y=0"},
        {"enter:#pass", common},
        {"enter:user", common},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.action);
        OpenLogin();
        ASSERT_TRUE(m_browser.Type(u"#user", u"alice"));
        ASSERT_TRUE(m_browser.Type(u"pass", u"p@ss w\u00e9"));
        const std::string action = c.action;
        const std::u16string selector = text::FromUtf8(action.substr(action.find(':') + 1));
        const bool ok = action.starts_with("click") ? m_browser.Click(selector)
                                                    : m_browser.PressEnter(selector);
        ASSERT_TRUE(ok);
        // The submit event comes before the navigation starts; Enter clicks nothing.
        const std::vector<std::string> events = Events();
        ASSERT_GE(events.size(), 2u);
        const std::size_t submitAt =
            std::find(events.begin(), events.end(), "form submit") - events.begin();
        ASSERT_LT(submitAt, events.size());
        EXPECT_EQ(events[submitAt + 1].rfind("BeforeNavigate2 top " + target, 0), 0u);
        EXPECT_EQ(std::count(events.begin(), events.end(), "form click"),
                  action.starts_with("click") ? 1 : 0);
        EXPECT_EQ(events[submitAt + 1], "BeforeNavigate2 top " + target + " [" + c.post + "]");
        EXPECT_EQ(m_browser.Top()->LocationUrl(), text::FromUtf8(target));
    }
}

TEST_F(HeadlessBrowserTest, CheckedBoxesAndChosenOptionsChangeWhatIsSent) {
    OpenLogin();
    ASSERT_TRUE(m_browser.SetChecked(u"#remember", true));
    ASSERT_TRUE(m_browser.SetChecked(u"agree", false));
    EXPECT_FALSE(m_browser.SetChecked(u"#r2", false));  // a click cannot clear a radio button
    ASSERT_TRUE(m_browser.Select(u"lang", {u"English"}));
    EXPECT_FALSE(m_browser.Select(u"lang", {u"English", u"Deutsch"}));
    EXPECT_FALSE(m_browser.Select(u"lang", {u"Klingon"}));
    // Typing is cut to the field's maxlength.
    ASSERT_TRUE(m_browser.Type(u"user", u"longer than eight"));
    EXPECT_EQ(m_browser.Find(u"user")->GetAttribute(u"value"), u"longer t");
    const std::vector<std::string> clicks = Events();
    EXPECT_EQ(clicks, (std::vector<std::string>{"form click", "form click"}));

    ASSERT_TRUE(m_browser.ScriptSubmit(u"#login"));
    const RecordedEvent navigation = LastBeforeNavigate();
    EXPECT_EQ(navigation.postData,
              "token=a+b%26c&user=longer+t&pass=&remember=on&lang=en&r=on&note=hi");
}

TEST_F(HeadlessBrowserTest, ScriptSubmitsNavigateWithoutASubmitEvent) {
    OpenLogin();
    ASSERT_TRUE(m_browser.Type(u"q", u"red shoes"));
    ASSERT_TRUE(m_browser.ScriptSubmit(u"q"));  // a control names its form
    EXPECT_EQ(Events(), (std::vector<std::string>{
                            "BeforeNavigate2 top http://site.test/results.html?q=red+shoes",
                            "NavigateComplete2 top http://site.test/results.html?q=red+shoes",
                            "DocumentComplete top http://site.test/results.html?q=red+shoes",
                        }));
    EXPECT_FALSE(m_browser.ScriptSubmit(u"#missing"));
    EXPECT_FALSE(m_browser.Click(u"nothing-here"));
    EXPECT_FALSE(m_browser.Type(u"frame4:user", u"x"));
}

TEST_F(HeadlessBrowserTest, ScriptTargetsOnlyAnnounceTheNavigation) {
    OpenLogin();
    auto document = m_browser.TopDocument();
    ASSERT_TRUE(m_browser.Click(u"#js"));
    ASSERT_TRUE(m_browser.PressEnter(u"#jq"));
    EXPECT_EQ(Events(), (std::vector<std::string>{
                            "BeforeNavigate2 top javascript:void(0)",
                            "form submit",
                            "BeforeNavigate2 top javascript:check()",
                        }));
    EXPECT_EQ(m_browser.TopDocument(), document);
    ASSERT_TRUE(m_browser.Navigate(u"JavaScript:alert(1)"));
    EXPECT_EQ(Events(), (std::vector<std::string>{"BeforeNavigate2 top JavaScript:alert(1)"}));
    EXPECT_EQ(m_browser.TopDocument(), document);
}

TEST_F(HeadlessBrowserTest, LinksNavigateResolvedAgainstTheirDocument) {
    OpenLogin();
    ASSERT_TRUE(m_browser.Click(u"#frag"));
    EXPECT_TRUE(Events().empty());
    ASSERT_TRUE(m_browser.Click(u"#helptext"));  // inside the link
    EXPECT_EQ(Events(), (std::vector<std::string>{
                            "BeforeNavigate2 top http://site.test/help.html#top",
                            "NavigateComplete2 top http://site.test/help.html#top",
                            "DocumentComplete top http://site.test/help.html#top",
                        }));
    // An address without a page gives an empty document and says so.
    EXPECT_TRUE(m_browser.TopDocument()->Forms().empty());
    const bool logged =
        std::any_of(m_browser.Log().begin(), m_browser.Log().end(), [](const auto& l) {
            return l == "no page at http://site.test/help.html#top: empty document";
        });
    EXPECT_TRUE(logged);
    ASSERT_TRUE(m_browser.Navigate(kSite + u"host_login.html"));
    ASSERT_TRUE(m_browser.Click(u"~Script"));
    EXPECT_EQ(LastBeforeNavigate().url, "javascript:void(0)");
}

TEST_F(HeadlessBrowserTest, NavigationsFromInsideAnEventWaitForTheCurrentOneToEnd) {
    bool submitted = false;
    m_helper->onEvent = [&](com::DispId id, const BrowserEvent& event) {
        if (id == dispid::kDocumentComplete && !submitted && event.browser == m_browser.Top()) {
            submitted = true;
            m_browser.TopDocument()->ElementById(u"go")->Click();
        }
    };
    ASSERT_TRUE(m_browser.Navigate(kSite + u"host_login.html"));
    const std::vector<std::string> events = Events();
    ASSERT_EQ(events.size(), 8u);
    EXPECT_EQ(events[2], "DocumentComplete top http://site.test/host_login.html");
    EXPECT_EQ(events[3], "form click");
    EXPECT_EQ(events[4], "form submit");
    EXPECT_EQ(events[5].rfind("BeforeNavigate2 top http://site.test/account/signin?from=home", 0),
              0u);
    EXPECT_EQ(events[7], "DocumentComplete top http://site.test/account/signin?from=home");
}

TEST_F(HeadlessBrowserTest, InPageDownloadsMayReplaceTheTopDocument) {
    ASSERT_TRUE(m_browser.Navigate(kSite + u"host_frames.html"));
    Events();
    auto before = m_browser.TopDocument();
    std::u16string titleAtBegin;
    m_helper->onEvent = [&](com::DispId id, const BrowserEvent&) {
        if (id == dispid::kDownloadBegin) {
            titleAtBegin = m_browser.TopDocument()->Title();
        }
    };
    ASSERT_TRUE(m_browser.InPageDownload());
    EXPECT_EQ(Events(), (std::vector<std::string>{"DownloadBegin top", "DownloadComplete top"}));
    EXPECT_EQ(m_browser.TopDocument(), before);

    ASSERT_TRUE(m_browser.InPageDownload(Page("host_login_refreshed.html")));
    EXPECT_EQ(Events(), (std::vector<std::string>{"DownloadBegin top", "DownloadComplete top"}));
    EXPECT_EQ(titleAtBegin, u"Framed");
    EXPECT_EQ(m_browser.TopDocument()->Title(), u"Member Login (refreshed)");
    EXPECT_EQ(m_browser.TopDocument()->Address(), u"http://site.test/host_frames.html");
    EXPECT_EQ(m_browser.FrameCount(), 3u);
    // The new content's forms submit like any other.
    ASSERT_TRUE(m_browser.PressEnter(u"user"));
    EXPECT_EQ(LastBeforeNavigate().url, "http://site.test/account/signin");

    EXPECT_FALSE(m_browser.InPageDownload(Page("no-such-file.html")));
}

TEST_F(HeadlessBrowserTest, FramesShareTheWindowsPropertiesAndEvents) {
    ASSERT_TRUE(m_browser.Navigate(kSite + u"host_frames.html"));
    IWebBrowser* top = m_browser.Top();
    IWebBrowser* frame = m_browser.FrameBrowser(1);
    ASSERT_NE(frame, nullptr);
    std::uint64_t value = 0;
    EXPECT_EQ(top->PutProperty(u"Answer", 42), com::S_OK);
    EXPECT_EQ(frame->GetProperty(u"Answer", &value), com::S_OK);
    EXPECT_EQ(value, 42u);
    EXPECT_EQ(frame->PutProperty(u"FromFrame", 7), com::S_OK);
    EXPECT_EQ(top->GetProperty(u"FromFrame", &value), com::S_OK);
    EXPECT_EQ(value, 7u);
    EXPECT_EQ(top->GetProperty(u"Missing", &value), com::E_INVALIDARG);
    EXPECT_EQ(frame->WindowHandle(), top->WindowHandle());
    EXPECT_EQ(frame->WindowRect(), top->WindowRect());
    EXPECT_NE(top->WindowHandle(), 0u);

    // The helper published itself on the top browser; a frame answers it too.
    EXPECT_EQ(frame->GetProperty(kBhoViewProperty, &value), com::S_OK);
    EXPECT_EQ(value, reinterpret_cast<std::uintptr_t>(static_cast<com::IUnknown*>(
                         static_cast<IObjectWithSite*>(m_helper.Get()))));

    const com::Guid band = com::GuidLiteral("{11111111-2222-3333-4444-555555555555}");
    EXPECT_EQ(frame->ShowBrowserBar(band, true), com::S_OK);
    EXPECT_TRUE(m_browser.IsBrowserBarShown(band));
    EXPECT_EQ(top->ShowBrowserBar(band, false), com::S_OK);
    EXPECT_FALSE(m_browser.IsBrowserBarShown(band));

    m_browser.SetWindowState(false, true);
    ASSERT_FALSE(m_helper->events.empty());
    EXPECT_EQ(m_helper->events.back().id, dispid::kWindowStateChanged);
    EXPECT_EQ(m_helper->events.back().windowState, kWindowStateEnabled);
}

TEST_F(HeadlessBrowserTest, CommandsReachThePublishedHelperObject) {
    OpenLogin();
    for (const char16_t* name : {u"fill", u"Save", u"generate", u"options", u"identities",
                                 u"WebLogins", u"securenotes", u"logoff"}) {
        EXPECT_EQ(m_browser.RunCommand(name), com::S_OK);
    }
    EXPECT_EQ(m_helper->commands,
              (std::vector<std::string>{"fill", "save", "generate", "options", "identities",
                                        "weblogins", "securenotes", "logoff"}));
    EXPECT_EQ(m_browser.RunCommand(u"dance"), com::E_INVALIDARG);

    // A command that submits the page navigates before RunCommand returns.
    m_helper->onCommand = [&] { m_browser.TopDocument()->ElementById(u"login")->Submit(); };
    EXPECT_EQ(m_browser.RunCommand(u"fill"), com::S_OK);
    EXPECT_EQ(m_browser.Top()->LocationUrl(), u"http://site.test/account/signin?from=home");

    HeadlessBrowser bare;
    EXPECT_EQ(bare.RunCommand(u"fill"), com::E_INVALIDARG);
}

TEST_F(HeadlessBrowserTest, ClosingQuitsAndLetsTheHelperObjectsGo) {
    OpenLogin();
    const std::uint32_t referencesBefore = m_helper->AddRef() - 1;
    m_helper->Release();
    m_browser.Close();
    EXPECT_EQ(Events(), (std::vector<std::string>{"OnQuit top"}));
    EXPECT_EQ(m_helper->siteCalls, (std::vector<bool>{true, false}));
    const std::uint32_t referencesAfter = m_helper->AddRef() - 1;
    m_helper->Release();
    EXPECT_LT(referencesAfter, referencesBefore);
    EXPECT_EQ(referencesAfter, 1u);  // only the test's own
    EXPECT_TRUE(m_browser.IsClosed());
    EXPECT_FALSE(m_browser.Navigate(kSite + u"host_login.html"));
    EXPECT_FALSE(m_browser.Click(u"#go"));
    m_browser.Close();
    EXPECT_TRUE(Events().empty());
}

TEST_F(HeadlessBrowserTest, TheDestructorClosesTheWindow) {
    com::ComPtr<FakeHelper> other(new FakeHelper);
    {
        HeadlessBrowser window;
        ASSERT_TRUE(window.AttachHelperObject(static_cast<IObjectWithSite*>(other.Get())));
        ASSERT_TRUE(window.Navigate(kSite + u"anything"));
    }
    ASSERT_FALSE(other->events.empty());
    EXPECT_EQ(other->events.back().id, dispid::kOnQuit);
    EXPECT_EQ(other->siteCalls, (std::vector<bool>{true, false}));
}

TEST(HeadlessBrowserRegistry, HelperObjectsThatCannotBeCreatedAreSkipped) {
    test::IsolatedEnvironment environment;
    auto& registry = platform::Registry::Default();
    const std::u16string key(kBrowserHelperObjectsKey);
    // A class nobody registered, one whose library is missing, and a key that is no class id.
    const std::u16string unknown = u"{0BADC0DE-0000-4000-8000-000000000001}";
    const std::u16string missingLibrary = u"{0BADC0DE-0000-4000-8000-000000000002}";
    ASSERT_TRUE(registry.CreateKey(platform::Hive::LocalMachine, key + u"\\" + unknown));
    ASSERT_TRUE(registry.CreateKey(platform::Hive::LocalMachine, key + u"\\" + missingLibrary));
    ASSERT_TRUE(registry.CreateKey(platform::Hive::LocalMachine, key + u"\\not a class"));
    ASSERT_TRUE(registry.SetValue(
        platform::Hive::ClassesRoot, com::InprocServerKey(*com::Guid::Parse(missingLibrary)), u"",
        platform::RegistryValue::String(
            text::FromUtf8((environment.Root() / "libmissing.so").string()))));

    HeadlessBrowser browser;
    EXPECT_EQ(browser.LoadHelperObjects(), 0);
    std::string log;
    for (const auto& line : browser.Log()) log += line + "\n";
    EXPECT_NE(log.find("{0BADC0DE-0000-4000-8000-000000000001} not created: 0x80040154"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("{0BADC0DE-0000-4000-8000-000000000002} not created: 0x800401F8"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("not a class id: not a class"), std::string::npos) << log;
    // The window still works without them.
    EXPECT_TRUE(browser.Navigate(u"about:blank"));
}

// Hostile pages: a page that holds itself as a frame ten times, and a page past the parser's
// limits, load in part with a line in the log, in bounded work.
TEST_F(HeadlessBrowserTest, SelfFramingPagesLoadABoundedNumberOfFrames) {
    const auto page = m_environment.Root() / "self.html";
    std::string html = "<form><input name=q></form>";
    for (int i = 0; i < 10; ++i) {
        html += "<iframe src='self.html?" + std::to_string(i) + "'></iframe>";
    }
    test::WriteFileBytes(page, html);
    m_browser.MapPage(kSite + u"self.html", page);
    ASSERT_TRUE(m_browser.Navigate(kSite + u"self.html"));
    EXPECT_EQ(m_browser.FrameCount(), 100u);
    const auto& log = m_browser.Log();
    EXPECT_EQ(std::count_if(
                  log.begin(), log.end(),
                  [](const std::string& line) { return line.starts_with("too many frames in "); }),
              1);
}

TEST_F(HeadlessBrowserTest, APagePastTheLimitsLoadsInPartWithANotice) {
    const auto page = m_environment.Root() / "deep.html";
    std::string html;
    for (int i = 0; i < 5000; ++i) {
        html += "<div>";
    }
    test::WriteFileBytes(page, html + "<form><input name=q></form>");
    m_browser.MapPage(kSite + u"deep.html", page);
    ASSERT_TRUE(m_browser.Navigate(kSite + u"deep.html"));
    EXPECT_EQ(m_browser.TopDocument()->Forms().size(), 1u);
    const auto& log = m_browser.Log();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& line) {
        return line.find("deep.html: the page nests elements deeper than 512 levels") !=
               std::string::npos;
    }));
}

}  // namespace
}  // namespace veltrix::browserhost
