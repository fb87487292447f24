// What the Options pages write reaches the browser's form engine, which reads the settings when it
// acts: the highlight colour of a fill, and a site excluded on the Excluded Sites page.
#include <gtest/gtest.h>

#include "core/session.h"
#include "core/session_password_source.h"
#include "editor/options/memory_options_views.h"
#include "editor/options/options_sheet.h"
#include "formengine/capture/form_capture.h"
#include "formengine/fill/identity_fill.h"
#include "platform/event_loop.h"
#include "tests/formengine/page_fixture.h"
#include "tests/support/moved_clock.h"

namespace veltrix::editor::options {
namespace {

class NoFrame : public IOptionsFrame {
public:
    void RunInTray(bool) override {}
    void PostRefresh() override {}
};

constexpr char kLoginPage[] =
    "<form id=login action=/session method=post>"
    "<input id=user name=user><input id=pass type=password name=pass>"
    "<input type=submit value='Sign in'></form>";

class OptionsEffectsTest : public test::PageTest {
protected:
    OptionsEffectsTest() {
        m_sheet.Preferences().Attach(&m_preferencesView);
        m_sheet.ExcludedSites().Attach(&m_sitesView);
        m_sheet.Load();
    }

    // Fills the first field of a fresh page with the Identity's first name; its background.
    std::u16string FillAndReadBackground() {
        LoadPage("<form><input id=first name=first></form>");
        m_page.forms.front()->fields.front()->key = u"fname";
        CIdentity identity;
        identity.Set(IdentityKey::FirstName, u"Ann");
        CIdentityFiller(identity, u"Ann", m_settings).FillForm(*m_page.forms.front());
        EXPECT_EQ(Value(u"first"), u"Ann");
        return Element(u"first")->BackgroundColor();
    }

    // The user signs in on the login page; whether the save offer came.
    bool SignInIsOffered() {
        LoadPage(kLoginPage);
        const std::size_t before = m_views.SaveWebLoginDefaults().size();
        Type(u"user", u"ann");
        Type(u"pass", u"pw");
        CFormCapture capture(m_page, m_host);
        capture.NoteFormSubmit(Element(u"login"));
        capture.NoteNavigation(u"https://www.bank.example/session", "user=ann&pass=pw");
        return m_views.SaveWebLoginDefaults().size() > before;
    }

    NoFrame m_frame;
    CPropSheetOptions m_sheet{m_settings, m_ui, m_frame};
    MemoryPreferencesView m_preferencesView;
    MemoryExcludedSitesView m_sitesView;
};

TEST_F(OptionsEffectsTest, AFillHighlightsInTheColourAppliedAndNotAtAllOnceUnticked) {
    EXPECT_EQ(FillAndReadBackground(), u"80FF80");
    m_preferencesView.colourAnswers = {Rgb{0x12, 0x34, 0xAB}};
    m_sheet.Preferences().SelectColour();
    ASSERT_TRUE(m_sheet.Apply());
    EXPECT_EQ(FillAndReadBackground(), u"1234AB");

    m_preferencesView.values.highlight = false;
    ASSERT_TRUE(m_sheet.Apply());
    EXPECT_EQ(FillAndReadBackground(), u"");
}

TEST_F(OptionsEffectsTest, ASiteAddedOnThePageIsNoLongerOfferedForSaving) {
    ASSERT_TRUE(SignInIsOffered());
    m_sitesView.names = {u"http://WWW.bank.example/any/page.html"};
    ASSERT_EQ(m_sheet.ExcludedSites().Add(), u"bank.example");
    EXPECT_FALSE(SignInIsOffered());

    m_sitesView.selected = {u"bank.example"};
    m_ui.QueueAnswer(ui::Answer::Yes);
    ASSERT_EQ(m_sheet.ExcludedSites().Delete(), 1u);
    EXPECT_TRUE(SignInIsOffered());
}

// The idle time applied on the Password page reaches the shared session at once: its timer starts
// again with the new length, counted from the Apply.
class OptionsSessionTest : public ::testing::Test {
protected:
    OptionsSessionTest() {
        SetPasswordSource(&m_source);
        EXPECT_TRUE(m_settings.SetAutoLogoff(120));
        EXPECT_TRUE(session::SetPassword(u"Secret1"));  // known, no timer running yet
        m_sheet.Password().Attach(&m_view);
        m_sheet.Load();
    }
    ~OptionsSessionTest() override {
        session::SetPassword(nullptr);
        SetPasswordSource(nullptr);
        session::CloseProcessHandles();
    }

    bool Known() {
        platform::ThreadEventLoop().ProcessEvents(0);
        return session::IsPasswordKnown() == session::PasswordState::Known;
    }

    test::IsolatedEnvironment m_env;
    test::MovedClock m_clock{m_env.Root()};
    config::Settings m_settings{platform::Registry::Default()};
    ui::ScriptedUi m_ui;
    CSessionPasswordSource m_source{[this]() -> config::Settings& { return m_settings; }};
    NoFrame m_frame;
    CPropSheetOptions m_sheet{m_settings, m_ui, m_frame};
    MemoryPasswordView m_view;
};

TEST_F(OptionsSessionTest, ANewIdleTimeRestartsTheSessionsTimerFromTheApply) {
    m_clock.Advance(30000);
    m_view.values.idleText = u"1";
    ASSERT_TRUE(m_sheet.Apply());
    m_clock.Advance(59000);
    EXPECT_TRUE(Known());
    m_clock.Advance(2000);
    EXPECT_FALSE(Known());
}

TEST_F(OptionsSessionTest, ZeroConfirmedKeepsThePasswordForever) {
    m_view.values.idleText = u"1";
    ASSERT_TRUE(m_sheet.Apply());
    m_view.values.idleText = u"0";
    m_ui.QueueAnswer(ui::Answer::Yes);
    ASSERT_TRUE(m_sheet.Apply());
    m_clock.Advance(10LL * 24 * 3600 * 1000);
    EXPECT_TRUE(Known());
}

}  // namespace
}  // namespace veltrix::editor::options
