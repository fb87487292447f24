// The Web Login decision after a page load or on the Fill Form command, and the Fill Web Login
// prompt's buttons.
#include "formengine/helper/web_login_logic.h"

#include <gtest/gtest.h>

#include "core/web_login_index.h"
#include "formengine/dom/memory_dom.h"
#include "formengine/helper/prompt_support.h"
#include "tests/formengine/page_fixture.h"

namespace veltrix {
namespace {

using formviews::PromptButton;
using test::kLoginAddress;

constexpr char kLoginPage[] =
    "<form id=f1 action=/in><input id=user name=user><input id=pass type=password name=pass>"
    "<input id=go type=submit value=Login></form>";
constexpr char kTwoLoginForms[] =
    "<form id=f1><input id=u1 name=user><input id=p1 type=password name=pass></form>"
    "<form id=f2><input id=u2 name=user><input id=p2 type=password name=pass></form>";

class WebLoginLogicTest : public test::PageTest {
protected:
    WebLoginLogicTest() {
        m_logic.CreatePrompt();
        SetPreferences(0, config::pref::kPromptFillWebLogins);  // Web Logins: auto-fill
    }

    void Remember(std::u16string_view name, std::u16string_view user, std::int32_t options = 0) {
        SaveWebLogin(name, {{u"user", 0, 0, std::u16string(user), 0}, {u"pass", 0, 1, u"pw", 0}},
                     options);
        ASSERT_TRUE(AddWebLoginToIndex(m_settings, kLoginAddress, name));
    }

    formviews::MemoryFillWebLoginPrompt& Prompt() {
        auto* prompt = m_views.FillWebLoginPrompt();
        EXPECT_NE(prompt, nullptr);
        return *prompt;
    }

    // The submits the page saw (clicks on submit controls submit too).
    int Submits() const {
        int submits = 0;
        for (const auto& event : m_document->Events()) {
            submits += event.kind == dom::DomEvent::Kind::Submit ? 1 : 0;
        }
        return submits;
    }

    CWebLoginLogic m_logic{m_page, m_host};
};

TEST_F(WebLoginLogicTest, OneFittingWebLoginIsFilledAndSubmittedOnLoad) {
    SetPreferences(config::pref::kAutoSubmit, config::pref::kPromptFillWebLogins);
    Remember(u"Bank", u"ann");
    LoadPage(kLoginPage);
    EXPECT_TRUE(m_logic.Decide(false));
    EXPECT_EQ(Value(u"user"), u"ann");
    EXPECT_EQ(Value(u"pass"), u"pw");
    EXPECT_EQ(Submits(), 1);
    EXPECT_EQ(m_page.submitState, 1);
    EXPECT_EQ(m_page.lastAutoSubmitted, u"Bank");
    EXPECT_FALSE(Prompt().IsVisible());

    // The site shows the login form again (a wrong password): filled, not submitted again.
    LoadPage(kLoginPage);
    EXPECT_TRUE(m_logic.Decide(false));
    EXPECT_EQ(Value(u"user"), u"ann");
    EXPECT_EQ(Submits(), 0);
}

TEST_F(WebLoginLogicTest, WithoutAutoSubmitOrWithItDisabledTheFormIsOnlyFilled) {
    Remember(u"Bank", u"ann");
    LoadPage(kLoginPage);
    EXPECT_TRUE(m_logic.Decide(false));
    EXPECT_EQ(Value(u"user"), u"ann");
    EXPECT_EQ(Submits(), 0);

    SetPreferences(config::pref::kAutoSubmit, config::pref::kPromptFillWebLogins);
    Remember(u"Bank", u"ann", CWebLogin::kOptionDisableAutoSubmit);
    LoadPage(kLoginPage);
    EXPECT_TRUE(m_logic.Decide(false));
    EXPECT_EQ(Value(u"user"), u"ann");
    EXPECT_EQ(Submits(), 0);
}

TEST_F(WebLoginLogicTest, TwoFittingWebLoginsArePromptedEvenInAutoFillMode) {
    Remember(u"zed", u"zed");
    Remember(u"Ann", u"ann");
    LoadPage(kLoginPage);
    EXPECT_TRUE(m_logic.Decide(false));
    EXPECT_TRUE(Prompt().IsVisible());
    EXPECT_TRUE(Prompt().Activated());
    EXPECT_EQ(Prompt().WebLogins().entries, (std::vector<std::u16string>{u"Ann", u"zed"}));
    EXPECT_EQ(Prompt().WebLogins().selected, 0);
    EXPECT_EQ(Value(u"user"), u"");

    ASSERT_TRUE(Prompt().SelectWebLogin(u"zed"));
    Prompt().Press(PromptButton::Yes);
    EXPECT_EQ(Value(u"user"), u"zed");
    EXPECT_FALSE(Prompt().IsVisible());
    EXPECT_TRUE(m_logic.Dismissed());
    EXPECT_FALSE(m_logic.Decide(false));  // dismissed for this page
    EXPECT_TRUE(m_logic.Decide(true));    // the Fill Form command still works
}

TEST_F(WebLoginLogicTest, PromptModeAsksForASingleWebLoginAndNoDismissesIt) {
    SetPreferences(config::pref::kPromptFillWebLogins);
    Remember(u"Bank", u"ann");
    LoadPage(kLoginPage);
    EXPECT_TRUE(m_logic.Decide(false));
    EXPECT_TRUE(Prompt().IsVisible());
    EXPECT_EQ(Value(u"user"), u"");
    Prompt().Press(PromptButton::No);
    EXPECT_FALSE(Prompt().IsVisible());
    EXPECT_FALSE(m_logic.Decide(false));
    EXPECT_EQ(Value(u"user"), u"");
    m_logic.ResetDismissed();
    EXPECT_TRUE(m_logic.Decide(false));
}

TEST_F(WebLoginLogicTest, OneWebLoginFittingTwoFormsFillsBothAndSubmitsNeither) {
    SetPreferences(config::pref::kAutoSubmit, config::pref::kPromptFillWebLogins);
    Remember(u"Bank", u"ann");
    LoadPage(kTwoLoginForms);
    EXPECT_TRUE(m_logic.Decide(false));
    EXPECT_EQ(Value(u"u1"), u"ann");
    EXPECT_EQ(Value(u"u2"), u"ann");
    EXPECT_EQ(Submits(), 0);
    EXPECT_EQ(m_ui.MessageTexts(),
              (std::vector<std::u16string>{
                  u"Veltrix filled multiple forms on this page and cannot choose which to "
                  u"submit.\nPlease submit the desired form manually."}));
    EXPECT_EQ(m_ui.Messages().front().icon, ui::Icon::Information);
}

TEST_F(WebLoginLogicTest, ManualModeWaitsForTheCommand) {
    SetPreferences(config::pref::kManualFillWebLogins, config::pref::kPromptFillWebLogins);
    Remember(u"Bank", u"ann");
    LoadPage(kLoginPage);
    EXPECT_FALSE(m_logic.Decide(false));
    EXPECT_EQ(Value(u"user"), u"");
    EXPECT_TRUE(m_logic.Decide(true));
    EXPECT_EQ(Value(u"user"), u"ann");
}

TEST_F(WebLoginLogicTest, NothingFitsOrNothingIsSaved) {
    LoadPage(kLoginPage);
    EXPECT_FALSE(m_logic.Decide(false));
    SaveWebLogin(u"Other", {{u"email", 0, 0, u"a@b", 0}});
    ASSERT_TRUE(AddWebLoginToIndex(m_settings, kLoginAddress, u"Other"));
    AddWebLoginToIndex(m_settings, kLoginAddress, u"Deleted file");
    EXPECT_FALSE(m_logic.Decide(false));
    EXPECT_FALSE(Prompt().IsVisible());
    LoadPage("<p>no forms</p>");
    EXPECT_FALSE(m_logic.Decide(true));
}

TEST_F(WebLoginLogicTest, ARefusedPasswordStopsFurtherReadsOnThePage) {
    Remember(u"One", u"a");
    Remember(u"Two", u"b");
    LoadPage(kLoginPage);
    test::FakePasswordSource refusing(std::nullopt);
    EXPECT_FALSE(m_logic.Decide(false));
    EXPECT_TRUE(m_page.load.cancelled);
    EXPECT_EQ(refusing.GetPasswordCalls(), 1);
}

TEST_F(WebLoginLogicTest, ExcludeFromThePromptExcludesTheSiteWhenConfirmed) {
    Remember(u"One", u"a");
    Remember(u"Two", u"b");
    LoadPage(kLoginPage);
    ASSERT_TRUE(m_logic.Decide(false));
    m_ui.QueueAnswer(ui::Answer::No);
    Prompt().Press(PromptButton::Exclude);
    EXPECT_TRUE(Prompt().IsVisible());
    EXPECT_TRUE(m_logic.Dismissed());
    EXPECT_FALSE(m_settings.IsExcludedSite(kLoginAddress));
    m_ui.QueueAnswer(ui::Answer::Yes);
    Prompt().Press(PromptButton::Exclude);
    EXPECT_FALSE(Prompt().IsVisible());
    EXPECT_TRUE(m_settings.IsExcludedSite(kLoginAddress));
    EXPECT_EQ(m_host.refreshes, 1);
    EXPECT_EQ(m_ui.Messages().back().buttons, ui::Buttons::YesNo);
    EXPECT_EQ(m_ui.Messages().back().icon, ui::Icon::Question);
}

TEST_F(WebLoginLogicTest, DiscardedFormsLeaveNoMatchBehind) {
    Remember(u"One", u"a");
    Remember(u"Two", u"b");
    LoadPage(kLoginPage);
    ASSERT_TRUE(m_logic.Decide(false));
    m_logic.ForgetForm(m_page.forms.front().get());
    m_page.forms.clear();
    Prompt().Press(PromptButton::Yes);  // nothing left to fill; must not touch the old form
    EXPECT_FALSE(Prompt().IsVisible());
}

// --- Where prompts appear ---

TEST(PromptPositionTest, NearTheWindowsTopRightAndInsideTheWorkArea) {
    const ui::ScreenRect work{0, 0, 1000, 800};
    const ui::ScreenRect prompt{0, 0, 300, 200};
    EXPECT_EQ(PromptPosition({100, 100, 900, 700}, prompt, work), std::make_pair(570, 130));
    // A narrow window at the left edge: not left of the work area.
    EXPECT_EQ(PromptPosition({-50, 100, 200, 700}, prompt, work), std::make_pair(0, 130));
    // Reaching beyond the right edge: flush with it.
    EXPECT_EQ(PromptPosition({500, 100, 1200, 700}, prompt, work), std::make_pair(699, 130));
    // Above the top, and too low.
    EXPECT_EQ(PromptPosition({100, -100, 900, 700}, prompt, work), std::make_pair(570, 0));
    EXPECT_EQ(PromptPosition({100, 700, 900, 790}, prompt, work), std::make_pair(570, 599));
}

}  // namespace
}  // namespace veltrix
