// Form capture: what counts as entered, working out the submitted forms from events and from the
// data sent, the save offer with its dialog loop, and the Web Login it writes.
#include "formengine/capture/form_capture.h"

#include <gtest/gtest.h>

#include "core/web_login_index.h"
#include "formengine/helper/form_messages.h"
#include "tests/formengine/page_fixture.h"

namespace veltrix {
namespace {

using formviews::SaveWebLoginAnswer;
using test::kLoginAddress;

constexpr char kLoginPage[] =
    "<title>Bank: Sign in</title>"
    "<form id=login action=/session method=post>"
    "<input id=user name=user><input id=pass type=password name=pass>"
    "<input id=remember type=checkbox name=remember>"
    "<input id=go type=submit value='Sign in'></form>"
    "<form id=search action=/find><input id=q name=q><input type=submit value=Find></form>";

class FormCaptureTest : public test::PageTest {
protected:
    FormCaptureTest() { LoadPage(kLoginPage); }

    CWebForm& Form(std::size_t i) { return *m_page.forms.at(i); }

    // The user types credentials and submits the login form with the Enter key.
    void SignInWithEnter(std::u16string_view user = u"ann", std::u16string_view pass = u"pw 1") {
        Type(u"user", user);
        Type(u"pass", pass);
        m_capture.NoteFormSubmit(Element(u"login"));
        m_capture.NoteNavigation(u"https://www.bank.example/session", "user=ann&pass=pw+1");
    }

    CFormCapture m_capture{m_page, m_host};
};

// --- The values sent and the forms they match ---

TEST(SentValuesTest, DecodesPairsFromPostDataOrTheAddress) {
    EXPECT_EQ(SentValues(u"https://x/a?ignored=1", "user=ann+lee&pass=a%26b%3Dc%2B"),
              (std::vector<std::u16string>{u"ann lee", u"a&b=c+"}));
    EXPECT_EQ(SentValues(u"https://x/find?q=caf%C3%A9&lang=en", ""),
              (std::vector<std::u16string>{u"caf\u00e9", u"en"}));
    EXPECT_TRUE(SentValues(u"https://x/plain", "").empty());
    // A stray percent sign stays as it is.
    EXPECT_EQ(SentValues(u"", "a=100%&b=%zz"), (std::vector<std::u16string>{u"100%", u"%zz"}));
}

TEST(SentValuesTest, StopsAtAPairWithoutNameAndAfterOneWithoutValue) {
    EXPECT_EQ(SentValues(u"", "a=1&=2&c=3"), (std::vector<std::u16string>{u"1"}));
    EXPECT_EQ(SentValues(u"", "a=1&b=&c=3"), (std::vector<std::u16string>{u"1", u""}));
    EXPECT_EQ(SentValues(u"", "a=1&b&c=3"), (std::vector<std::u16string>{u"1", u""}));
}

TEST_F(FormCaptureTest, AScriptSubmitIsMatchedByItsValuesIgnoringUncheckedBoxes) {
    Type(u"user", u"ann");
    Type(u"pass", u"pw 1");
    m_capture.NoteNavigation(u"https://www.bank.example/session", "user=ann&pass=pw+1");
    ASSERT_EQ(m_page.submittedForms.size(), 1u);
    EXPECT_EQ(m_page.submittedForms.front(), &Form(0));
    EXPECT_EQ(m_page.submitState, 2);
    EXPECT_EQ(m_views.SaveWebLoginDefaults().size(), 1u);
}

TEST_F(FormCaptureTest, AFormWithAValueNotSentDoesNotMatch) {
    Type(u"user", u"ann");
    Type(u"pass", u"other");
    m_capture.NoteNavigation(u"https://www.bank.example/session", "user=ann&pass=pw");
    EXPECT_TRUE(m_page.submittedForms.empty());
    EXPECT_EQ(m_page.submitState, 0);
    EXPECT_TRUE(m_views.SaveWebLoginDefaults().empty());
}

TEST_F(FormCaptureTest, ACheckedBoxMustBeAmongTheValues) {
    Type(u"user", u"ann");
    Type(u"pass", u"pw");
    Element(u"remember")->SetChecked(true);
    m_capture.NoteNavigation(u"https://x/session", "user=ann&pass=pw");
    EXPECT_TRUE(m_page.submittedForms.empty());
    m_capture.NoteNavigation(u"https://x/session", "user=ann&pass=pw&remember=on");
    EXPECT_EQ(m_page.submittedForms.size(), 1u);
}

TEST_F(FormCaptureTest, OnlyTheCheckedRadioButtonIsCompared) {
    LoadPage(
        "<form><input id=user name=user><input type=password id=pass name=pass>"
        "<input type=radio name=kind value=personal checked>"
        "<input type=radio name=kind value=business></form>");
    Type(u"user", u"ann");
    Type(u"pass", u"pw");
    m_capture.NoteNavigation(u"https://x/session", "user=ann&pass=pw&kind=personal");
    EXPECT_EQ(m_page.submittedForms.size(), 1u);
}

// --- What counts as entered ---

TEST_F(FormCaptureTest, CaptureTellsWhetherAnythingWasEntered) {
    LoadPage(
        "<form><input id=t name=t><input id=c type=checkbox name=c checked>"
        "<select id=s name=s><option>A<option selected>B</select></form>");
    CWebForm& form = Form(0);
    EXPECT_FALSE(CaptureForm(form));
    Element(u"c")->SetChecked(false);
    EXPECT_TRUE(CaptureForm(form));
    Element(u"c")->SetChecked(true);
    Element(u"s")->Options().at(0)->SetSelected(true);
    EXPECT_TRUE(CaptureForm(form));
    EXPECT_EQ(form.fields.at(2)->valueText, u"A");
}

// --- Events ---

TEST_F(FormCaptureTest, TheSubmitEventNamesTheSubmittedFormAmongSeveral) {
    m_capture.NoteFormSubmit(Element(u"search"));
    ASSERT_EQ(m_page.submittedForms.size(), 1u);
    EXPECT_EQ(m_page.submittedForms.front(), &Form(1));
    EXPECT_EQ(m_page.submitState, 2);
    m_capture.NoteFormSubmit(Element(u"nowhere"));
    EXPECT_TRUE(m_page.submittedForms.empty());
}

TEST_F(FormCaptureTest, OnAPageOfOneFormTheSubmitEventAlwaysMeansThatForm) {
    LoadPage("<form id=only><input name=a></form><p id=other>");
    m_capture.NoteFormSubmit(Element(u"other"));
    ASSERT_EQ(m_page.submittedForms.size(), 1u);
    EXPECT_EQ(m_page.submittedForms.front(), &Form(0));
}

TEST_F(FormCaptureTest, AClickOnASubmitControlRefreshesItsFormsValues) {
    Type(u"user", u"ann");
    m_capture.NoteSubmitClick(Element(u"user"));
    EXPECT_FALSE(m_page.valuesCaptured);
    EXPECT_EQ(Form(0).fields.at(0)->valueText, u"");
    m_capture.NoteSubmitClick(Element(u"go"));
    EXPECT_TRUE(m_page.valuesCaptured);
    EXPECT_EQ(Form(0).fields.at(0)->valueText, u"ann");
}

// --- The automatic offer ---

TEST_F(FormCaptureTest, ASubmittedLoginIsOfferedAndSavedUnderTheTypedName) {
    m_views.QueueSaveWebLogin(SaveWebLoginAnswer::Yes, u"My bank");
    SignInWithEnter();
    ASSERT_EQ(m_views.SaveWebLoginDefaults().size(), 1u);
    EXPECT_EQ(m_views.SaveWebLoginDefaults().front(), u"Bank  Sign in");
    ASSERT_TRUE(WebLoginExists(u"My bank"));
    EXPECT_EQ(LookupWebLogins(m_settings, kLoginAddress),
              (std::vector<std::u16string>{u"My bank"}));
    EXPECT_EQ(m_host.refreshes, 1);

    const auto read = ReadWebLogin(WebLoginPath(u"My bank"));
    ASSERT_TRUE(read.HasValue());
    const CWebLogin& saved = *read;
    EXPECT_EQ(saved.GetPageUrl(), kLoginAddress);
    EXPECT_EQ(saved.GetFrameUrl(), kLoginAddress);
    const std::vector<CWebLoginField> expected = {
        {u"user", 0, 0, u"ann", 0}, {u"pass", 0, 1, u"pw 1", 0}, {u"remember", 0, 2, u"on", 0}};
    EXPECT_EQ(saved.GetFields(), expected);
}

TEST_F(FormCaptureTest, TheSameCredentialsAreNotOfferedAgainForTheSite) {
    m_views.QueueSaveWebLogin(SaveWebLoginAnswer::Yes, u"My bank");
    SignInWithEnter();
    LoadPage(kLoginPage);
    SignInWithEnter(u"ANN");  // names and values compare without regard to case
    EXPECT_EQ(m_views.SaveWebLoginDefaults().size(), 1u);
    LoadPage(kLoginPage);
    SignInWithEnter(u"bob");
    EXPECT_EQ(m_views.SaveWebLoginDefaults().size(), 2u);
}

TEST_F(FormCaptureTest, NoAutomaticOfferForASearchFormOrWithTheOfferSwitchedOff) {
    Type(u"q", u"rates");
    m_capture.NoteFormSubmit(Element(u"search"));
    m_capture.NoteNavigation(u"https://www.bank.example/find?q=rates", "");
    EXPECT_TRUE(m_views.SaveWebLoginDefaults().empty());

    LoadPage(kLoginPage);
    SetPreferences(0, config::pref::kPromptToSave);
    SignInWithEnter();
    EXPECT_TRUE(m_views.SaveWebLoginDefaults().empty());
}

TEST_F(FormCaptureTest, JavascriptTargetsAndExcludedSitesAreLeftAlone) {
    Type(u"user", u"ann");
    Type(u"pass", u"pw");
    m_capture.NoteFormSubmit(Element(u"login"));
    m_capture.NoteNavigation(u"JavaScript:void(0)", "");
    EXPECT_TRUE(m_views.SaveWebLoginDefaults().empty());
    ASSERT_TRUE(m_settings.AddExcludedSite(kLoginAddress));
    m_capture.NoteNavigation(u"https://www.bank.example/session", "");
    EXPECT_TRUE(m_views.SaveWebLoginDefaults().empty());
}

TEST_F(FormCaptureTest, AnAutomaticSubmitIsNotTakenForTheUsersLogin) {
    Type(u"user", u"ann");
    m_page.submitState = 1;
    m_capture.NoteNavigation(u"https://x/session", "user=ann&pass=");
    EXPECT_TRUE(m_page.submittedForms.empty());
    EXPECT_TRUE(m_views.SaveWebLoginDefaults().empty());
}

// --- The Save Form command ---

TEST_F(FormCaptureTest, SaveFormOffersEveryFormWithDataWhateverThePreference) {
    SetPreferences(0, config::pref::kPromptToSave);
    m_capture.SaveForm();
    EXPECT_TRUE(m_views.SaveWebLoginDefaults().empty());  // nothing entered, nothing offered

    Type(u"q", u"rates");
    m_views.QueueSaveWebLogin(SaveWebLoginAnswer::Yes, u"Search");
    m_capture.SaveForm();
    ASSERT_EQ(m_views.SaveWebLoginDefaults().size(), 1u);
    const auto read = ReadWebLogin(WebLoginPath(u"Search"));
    ASSERT_TRUE(read.HasValue());
    const CWebLogin& saved = *read;
    ASSERT_EQ(saved.GetFields().size(), 1u);
    EXPECT_EQ(saved.GetFields().front().data, u"rates");
}

// --- The dialog loop ---

TEST_F(FormCaptureTest, AnInvalidOrEmptyNameBringsTheDialogBack) {
    m_views.QueueSaveWebLogin(SaveWebLoginAnswer::Yes, u"What?");
    m_views.QueueSaveWebLogin(SaveWebLoginAnswer::Yes, u"");
    m_views.QueueSaveWebLogin(SaveWebLoginAnswer::Yes, u"Fine");
    SignInWithEnter();
    EXPECT_EQ(m_views.SaveWebLoginDefaults(),
              (std::vector<std::u16string>{u"Bank  Sign in", u"What?", u""}));
    EXPECT_EQ(m_ui.MessageTexts(),
              (std::vector<std::u16string>{std::u16string(formmsg::kInvalidWebLoginName),
                                           std::u16string(formmsg::kInvalidWebLoginName)}));
    EXPECT_TRUE(WebLoginExists(u"Fine"));
}

TEST_F(FormCaptureTest, AnExistingFileIsReplacedOnlyWhenConfirmed) {
    SaveWebLogin(u"Old", {{u"other", 0, 0, u"x", 0}});
    m_views.QueueSaveWebLogin(SaveWebLoginAnswer::Yes, u"Old");
    m_ui.QueueAnswer(ui::Answer::No);
    m_views.QueueSaveWebLogin(SaveWebLoginAnswer::Yes, u"Old");
    m_ui.QueueAnswer(ui::Answer::Yes);
    SignInWithEnter();
    EXPECT_EQ(m_views.SaveWebLoginDefaults().size(), 2u);
    ASSERT_EQ(m_ui.Messages().size(), 2u);
    EXPECT_EQ(m_ui.Messages().front().text,
              WebLoginPath(u"Old") + u" already exists.\nDo you want to replace it?");
    EXPECT_EQ(m_ui.Messages().front().buttons, ui::Buttons::YesNo);
    const auto read = ReadWebLogin(WebLoginPath(u"Old"));
    ASSERT_TRUE(read.HasValue());
    const CWebLogin& saved = *read;
    EXPECT_EQ(saved.GetFields().front().name, u"user");
}

TEST_F(FormCaptureTest, ExcludeAsksFirstAndSavesNothing) {
    m_views.QueueSaveWebLogin(SaveWebLoginAnswer::Exclude);
    m_ui.QueueAnswer(ui::Answer::No);  // not excluded: the dialog stays
    m_views.QueueSaveWebLogin(SaveWebLoginAnswer::Exclude);
    m_ui.QueueAnswer(ui::Answer::Yes);
    SignInWithEnter();
    EXPECT_EQ(m_views.SaveWebLoginDefaults().size(), 2u);
    EXPECT_EQ(m_ui.MessageTexts().front(),
              u"Are you sure you want to exclude the 'bank.example' web site from Veltrix "
              u"processing?");
    EXPECT_TRUE(m_settings.IsExcludedSite(kLoginAddress));
    EXPECT_TRUE(LookupWebLogins(m_settings, kLoginAddress).empty());
    EXPECT_EQ(m_host.refreshes, 1);
}

TEST_F(FormCaptureTest, NoDeclinesAndAFailedWriteLeavesTheIndexAlone) {
    SignInWithEnter();  // the empty queue answers No
    EXPECT_EQ(m_views.SaveWebLoginDefaults().size(), 1u);
    EXPECT_FALSE(WebLoginExists(u"Bank  Sign in"));

    m_settings.SetRecordFolder(RecordKind::WebLogin,
                               text::FromUtf8((m_env.Root() / "missing" / "deeper").string()));
    LoadPage(kLoginPage);
    m_views.QueueSaveWebLogin(SaveWebLoginAnswer::Yes, u"Lost");
    SignInWithEnter();
    EXPECT_TRUE(LookupWebLogins(m_settings, kLoginAddress).empty());
    EXPECT_EQ(m_host.refreshes, 0);
}

// --- The default name ---

TEST(DefaultWebLoginNameTest, ReplacesForbiddenCharactersOrFallsBackToTheSite) {
    EXPECT_EQ(DefaultWebLoginName(u"Mail: inbox/login", u"https://m.example/"),
              u"Mail  inbox login");
    EXPECT_EQ(DefaultWebLoginName(u"", u"http://www.shop.example:8080/cart?x=1"),
              u"shop.example 8080");
}

}  // namespace
}  // namespace veltrix
