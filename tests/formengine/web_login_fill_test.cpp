// Fitting page forms with saved Web Logins read from the Web Logins folder, filling them, and the
// automatic submit with its loop guard.
#include "formengine/fill/web_login_fill.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "core/configuration.h"
#include "core/record_io.h"
#include "formengine/dom/memory_dom.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tests/formengine/identity_fill_fixture.h"
#include "tests/support/fake_password_source.h"

namespace veltrix {
namespace {

constexpr int kText = 0;
constexpr int kPassword = 1;
constexpr int kCheckBox = 2;
constexpr int kRadio = 3;
constexpr int kListType = 13;
constexpr char16_t kHighlight[] = u"80FF80";

constexpr char kLoginPage[] = "<form><input name=User><input type=password name=Pass></form>";

class WebLoginFillTest : public IdentityFillTest {
protected:
    WebLoginFillTest() {
        std::filesystem::create_directories(m_env.Root() / "logins");
        EXPECT_TRUE(m_settings.SetRecordFolder(RecordKind::WebLogin,
                                               text::FromUtf8((m_env.Root() / "logins").string())));
    }

    // Writes a Web Login file of that name into the Web Logins folder.
    void Save(std::u16string_view name, std::initializer_list<CWebLoginField> fields,
              std::int32_t options = 0, std::u16string frameUrl = {}) {
        CWebLogin login;
        login.SetPageUrl(kFixturePageAddress);
        login.SetFrameUrl(std::move(frameUrl));
        login.SetOptions(options);
        for (const CWebLoginField& field : fields) {
            login.AddField(field);
        }
        const std::u16string path = RecordPath(m_settings.GetRecordFolder(RecordKind::WebLogin),
                                               name, RecordKind::WebLogin);
        ASSERT_TRUE(WriteWebLogin(path, login).HasValue());
    }

    void SaveSiteLogin(std::u16string_view name, std::int32_t options = 0) {
        Save(name, {{u"user", 0, kText, u"ann", 0}, {u"pass", 0, kPassword, u"hunter2", 0}},
             options);
    }

    void AllowAutoSubmit(bool on) {
        const std::uint32_t prefs = config::pref::kDefault;
        m_settings.SetPreferences(on ? prefs | config::pref::kAutoSubmit
                                     : prefs & ~config::pref::kAutoSubmit);
    }

    bool Checked(const CWebForm& form, std::size_t i) const {
        return form.fields.at(i)->element->IsChecked();
    }

    test::FakePasswordSource m_passwords{u"Secret1"};
    FormPageState m_state{m_settings};
    CWebLoginFiller m_filler{m_state};
};

// --- Does a Web Login fit a form? ---

TEST_F(WebLoginFillTest, FitsWhenEveryFieldNameIsSavedIgnoringCase) {
    Save(u"Site", {{u"USER", 0, kText, u"ann", 0},
                   {u"pass", 0, kPassword, u"hunter2", 0},
                   {u"remember", 0, kCheckBox, u"on", 1}});
    CWebForm& form = Load(kLoginPage);
    EXPECT_TRUE(m_filler.Fits(form, u"Site"));  // the saved check box the page lacks is ignored
    EXPECT_FALSE(m_state.load.busy);

    CWebForm& wider = Load(
        "<form><input name=user><input type=password name=pass>"
        "<input name=pin></form>");
    EXPECT_FALSE(m_filler.Fits(wider, u"Site"));
}

TEST_F(WebLoginFillTest, FitTestsNamesOnlyNotTypes) {
    Save(u"Site", {{u"user", 0, kPassword, u"x", 0}, {u"pass", 0, kText, u"y", 0}});
    EXPECT_TRUE(m_filler.Fits(Load(kLoginPage), u"Site"));
}

// A frame of another site takes only what was saved from a frame of that site; frames of the
// page's own site, and blank frames the page writes into, take the page's Web Logins.
TEST_F(WebLoginFillTest, AFrameOfAnotherSiteTakesOnlyItsOwnWebLogins) {
    const CWebLoginField user{u"user", 0, kText, u"ann", 0};
    const CWebLoginField pass{u"pass", 0, kPassword, u"hunter2", 0};
    Save(u"Page", {user, pass});
    Save(u"Bank", {user, pass}, 0, u"HTTPS://user:pw@Bank.example:8443/login?next=/");
    CWebForm& form = Load(kLoginPage);
    form.pageUrl = u"https://shop.example/checkout";
    const struct {
        const char16_t* frame;
        bool page;
        bool bank;
    } cases[] = {
        {u"", true, true},
        {u"https://shop.example/frame", true, true},
        {u"about:blank", true, true},
        {u"https://bank.example:8443/widget#x", false, true},
        {u"https://bank.example/widget", false, false},
        {u"http://bank.example:8443/widget", false, false},
        {u"https://ads.example/", false, false},
        {u"data:text/html,<form>", false, false},
    };
    for (const auto& item : cases) {
        form.frameUrl = item.frame;
        EXPECT_EQ(m_filler.Fits(form, u"Page"), item.page) << text::ToUtf8(item.frame);
        EXPECT_EQ(m_filler.Fits(form, u"Bank"), item.bank) << text::ToUtf8(item.frame);
    }
    form.frameUrl = u"https://ads.example/";
    EXPECT_FALSE(m_filler.Fill(form, u"Page"));
    EXPECT_EQ(form.fields[0]->element->GetAttribute(u"value"), u"");
}

TEST_F(WebLoginFillTest, AFormWithoutFieldsNeverFits) {
    SaveSiteLogin(u"Site");
    Save(u"Empty", {});
    CWebForm& bare = Load("<form><input type=submit value=Go></form>");
    ASSERT_TRUE(bare.fields.empty());
    EXPECT_FALSE(m_filler.Fits(bare, u"Site"));
    EXPECT_FALSE(m_filler.Fits(bare, u"Empty"));
    // A Web Login without fields fits no form that has some.
    EXPECT_FALSE(m_filler.Fits(Load(kLoginPage), u"Empty"));
}

TEST_F(WebLoginFillTest, AMissingFileFitsNothingAndIsNoCancellation) {
    CWebForm& form = Load(kLoginPage);
    EXPECT_FALSE(m_filler.Fits(form, u"Nowhere"));
    EXPECT_FALSE(m_filler.Fill(form, u"Nowhere"));
    EXPECT_EQ(Value(form, 0), u"");
    EXPECT_FALSE(m_state.load.cancelled);
}

TEST_F(WebLoginFillTest, NoFileIsReadOnceThePasswordWasRefused) {
    SaveSiteLogin(u"Site");
    CWebForm& form = Load(kLoginPage);
    {
        test::FakePasswordSource refusing(std::nullopt);
        EXPECT_FALSE(m_filler.Fits(form, u"Site"));
        EXPECT_TRUE(m_state.load.cancelled);
        EXPECT_FALSE(m_state.load.busy);
        EXPECT_EQ(refusing.GetPasswordCalls(), 1);

        EXPECT_FALSE(m_filler.Fits(form, u"Site"));
        EXPECT_EQ(refusing.GetPasswordCalls(), 1);
    }
    // Even with a password available again, the rest of the page is left alone.
    const int before = m_passwords.GetPasswordCalls();
    EXPECT_FALSE(m_filler.Fits(form, u"Site"));
    EXPECT_FALSE(m_filler.Fill(form, u"Site"));
    EXPECT_EQ(m_passwords.GetPasswordCalls(), before);
    EXPECT_EQ(Value(form, 0), u"");
    EXPECT_FALSE(form.fields[0]->written);
}

// --- Filling a form ---

TEST_F(WebLoginFillTest, TextAndPasswordTakeTheSameNameIgnoringCaseAndTheSameType) {
    Save(u"Site", {{u"user", 0, kPassword, u"not this", 0},
                   {u"USER", 0, kText, u"ann", 0},
                   {u"Pass", 0, kPassword, u"hunter2", 0}});
    CWebForm& form = Load(kLoginPage);
    ASSERT_TRUE(m_filler.Fill(form, u"Site"));
    EXPECT_EQ(Value(form, 0), u"ann");
    EXPECT_EQ(Value(form, 1), u"hunter2");
    EXPECT_TRUE(form.fields[0]->written);
    EXPECT_TRUE(form.fields[1]->written);
    EXPECT_EQ(form.fields[0]->element->BackgroundColor(), kHighlight);
}

TEST_F(WebLoginFillTest, AFieldWithoutASavedEntryOfItsTypeIsEmptied) {
    Save(u"Site", {{u"code", 0, kPassword, u"1234", 0}, {u"user", 0, kText, u"ann", 0}});
    CWebForm& form = Load(
        "<form><input name=code value=old><input name=user maxlength=2>"
        "</form>");
    ASSERT_TRUE(m_filler.Fill(form, u"Site"));
    EXPECT_EQ(Value(form, 0), u"");
    EXPECT_TRUE(form.fields[0]->written);
    // Emptying a field is no change worth highlighting.
    EXPECT_NE(form.fields[0]->element->BackgroundColor(), kHighlight);
    // Saved data longer than the field allows is not written.
    EXPECT_EQ(Value(form, 1), u"");
    EXPECT_FALSE(form.fields[1]->written);
}

TEST_F(WebLoginFillTest, AReadOnlyFieldWithoutASavedEntryKeepsItsContent) {
    Save(u"Site", {{u"user", 0, kText, u"ann", 0}, {u"extra", 0, kCheckBox, u"", 1}});
    CWebForm& form = Load("<form><input name=user><input name=extra readonly value=kept></form>");
    ASSERT_TRUE(m_filler.Fill(form, u"Site"));
    EXPECT_EQ(Value(form, 0), u"ann");
    // Saved only as a check box: empty data, which the read-only field refuses.
    EXPECT_EQ(Value(form, 1), u"kept");
    EXPECT_FALSE(form.fields[1]->written);
}

TEST_F(WebLoginFillTest, AListBoxWithoutASavedEntryHasEveryOptionDeselected) {
    Save(u"Site", {{u"colours", 0, kText, u"Red", 0}});
    CWebForm& form = Load(
        "<form><select name=colours multiple><option selected>Red</option>"
        "<option selected></option><option>Blue</option></select></form>");
    ASSERT_TRUE(m_filler.Fill(form, u"Site"));
    // The saved entry is a text field, not a list box: no option stays selected, also not the
    // one without text.
    EXPECT_EQ(Selected(form, 0), u"");
    for (const auto& option : form.fields[0]->element->Options()) {
        EXPECT_FALSE(option->IsSelected());
    }
}

TEST_F(WebLoginFillTest, CheckBoxesTakeTheStateOfTheExactName) {
    Save(u"Site", {{u"remember", 0, kCheckBox, u"on", 1},
                   {u"news", 0, kCheckBox, u"on", 1},
                   {u"terms", 0, kCheckBox, u"on", 0}});
    CWebForm& form = Load(
        "<form><input type=checkbox name=Remember checked>"
        "<input type=checkbox name=news><input type=checkbox name=terms checked>"
        "</form>");
    ASSERT_TRUE(m_filler.Fill(form, u"Site"));
    EXPECT_FALSE(Checked(form, 0));  // "Remember" has no saved check box of exactly its name
    EXPECT_TRUE(Checked(form, 1));
    EXPECT_FALSE(Checked(form, 2));
    for (const auto& field : form.fields) {
        EXPECT_TRUE(field->written);
        EXPECT_EQ(field->element->BackgroundColor(), kHighlight);
    }
}

TEST_F(WebLoginFillTest, AnUnchangedCheckBoxIsWrittenButNotHighlighted) {
    Save(u"Site", {{u"remember", 0, kCheckBox, u"on", 1}});
    CWebForm& form = Load("<form><input type=checkbox name=remember checked></form>");
    ASSERT_TRUE(m_filler.Fill(form, u"Site"));
    EXPECT_TRUE(Checked(form, 0));
    EXPECT_TRUE(form.fields[0]->written);
    EXPECT_EQ(form.fields[0]->element->BackgroundColor(), u"");
}

TEST_F(WebLoginFillTest, RadioButtonsFollowTheSavedButtonOfTheirValue) {
    Save(u"Site", {{u"plan", 0, kRadio, u"a", 0},
                   {u"plan", 0, kRadio, u"b", 1},
                   {u"plan", 0, kRadio, u"c", 0}});
    const std::string page =
        "<form><input type=radio name=plan value=a checked>"
        "<input type=radio name=plan value=b>"
        "<input type=radio name=plan value=c></form>";
    CWebForm& form = Load(page);
    ASSERT_TRUE(m_filler.Fill(form, u"Site"));
    EXPECT_FALSE(Checked(form, 0));
    EXPECT_TRUE(Checked(form, 1));
    EXPECT_FALSE(Checked(form, 2));

    // Data and name compare exactly: no saved radio matches, so every button ends unchecked.
    Save(u"Other case", {{u"plan", 0, kRadio, u"B", 1}, {u"PLAN", 0, kRadio, u"a", 1}});
    CWebForm& again = Load(page);
    ASSERT_TRUE(m_filler.Fill(again, u"Other case"));
    EXPECT_FALSE(Checked(again, 0));
    EXPECT_FALSE(Checked(again, 1));
    EXPECT_FALSE(Checked(again, 2));
}

TEST_F(WebLoginFillTest, ListBoxesSelectExactlyTheSavedOptionTexts) {
    Save(u"Site", {{u"colours", 1, kListType, u"Green|Blue|Pink", 0}});
    CWebForm& form = Load(
        "<form><select name=Colours multiple><option selected>Red</option>"
        "<option>green</option><option>Green</option><option>Blue</option>"
        "</select></form>");
    ASSERT_TRUE(m_filler.Fill(form, u"Site"));
    EXPECT_EQ(Selected(form, 0), u"Green|Blue");
    EXPECT_TRUE(form.fields[0]->written);
    EXPECT_EQ(form.fields[0]->element->BackgroundColor(), kHighlight);
}

TEST_F(WebLoginFillTest, ListBoxWithNoMatchingTextIsOnlyCleared) {
    Save(u"Site", {{u"colours", 1, kListType, u"Pink", 0}});
    CWebForm& form = Load(
        "<form><select name=colours multiple><option selected>Red</option>"
        "<option>Blue</option></select></form>");
    ASSERT_TRUE(m_filler.Fill(form, u"Site"));
    EXPECT_EQ(Selected(form, 0), u"");
    EXPECT_FALSE(form.fields[0]->written);
}

TEST_F(WebLoginFillTest, TextAreasTakeTheirSavedData) {
    Save(u"Site", {{u"note", 2, kListType, u"hello", 0}});
    CWebForm& form = Load("<form><textarea name=note></textarea></form>");
    ASSERT_TRUE(m_filler.Fill(form, u"Site"));
    EXPECT_EQ(Value(form, 0), u"hello");
}

TEST_F(WebLoginFillTest, AFormThatDoesNotFitIsLeftAlone) {
    SaveSiteLogin(u"Site", CWebLogin::kOptionDisableAutoSubmit);
    CWebForm& form = Load(
        "<form><input name=user><input type=password name=pass>"
        "<input name=pin></form>");
    EXPECT_FALSE(m_filler.Fill(form, u"Site"));
    for (const auto& field : form.fields) {
        EXPECT_FALSE(field->written);
    }
    EXPECT_EQ(Value(form, 0), u"");
    EXPECT_FALSE(form.autoSubmitDisabled);
}

TEST_F(WebLoginFillTest, TheFormTakesTheAutoSubmitOption) {
    SaveSiteLogin(u"Manual", CWebLogin::kOptionDisableAutoSubmit | 0x4);
    SaveSiteLogin(u"Automatic", 0x4);
    CWebForm& form = Load(kLoginPage);
    ASSERT_TRUE(m_filler.Fill(form, u"Manual"));
    EXPECT_TRUE(form.autoSubmitDisabled);
    ASSERT_TRUE(m_filler.Fill(form, u"Automatic"));
    EXPECT_FALSE(form.autoSubmitDisabled);
}

// --- Submitting ---

class WebLoginSubmitTest : public WebLoginFillTest {
protected:
    WebLoginSubmitTest() { AllowAutoSubmit(true); }

    const std::vector<dom::DomEvent>& Events() const { return m_document->Events(); }

    void ExpectNothingSubmitted(CWebForm& form, std::u16string_view name) {
        m_document->ClearEvents();
        EXPECT_FALSE(m_filler.Submit(form, name));
        EXPECT_TRUE(Events().empty());
    }
};

TEST_F(WebLoginSubmitTest, TheSubmitInputIsPreferredToTheButton) {
    CWebForm& form = Load(
        "<form><input name=user><input type=button value=Login>"
        "<input type=submit value=Go></form>");
    ASSERT_NE(form.submitInput, nullptr);
    ASSERT_NE(form.submitButton, nullptr);
    ASSERT_TRUE(m_filler.Submit(form, u"Site"));
    ASSERT_FALSE(Events().empty());
    EXPECT_EQ(Events().front().kind, dom::DomEvent::Kind::Click);
    EXPECT_EQ(Events().front().element, form.submitInput->element);
}

TEST_F(WebLoginSubmitTest, TheButtonIsClickedWhenThereIsNoSubmitInput) {
    CWebForm& form = Load("<form><input name=user><input type=button value=Login></form>");
    ASSERT_NE(form.submitButton, nullptr);
    ASSERT_TRUE(m_filler.Submit(form, u"Site"));
    ASSERT_EQ(Events().size(), 1u);
    EXPECT_EQ(Events().front().kind, dom::DomEvent::Kind::Click);
    EXPECT_EQ(Events().front().element, form.submitButton->element);
}

TEST_F(WebLoginSubmitTest, TheImageIsClickedWhenThereIsNoOtherControl) {
    CWebForm& form = Load("<form><input name=user><input type=image name=login src=go.gif></form>");
    ASSERT_NE(form.submitImage, nullptr);
    ASSERT_TRUE(m_filler.Submit(form, u"Site"));
    ASSERT_FALSE(Events().empty());
    EXPECT_EQ(Events().front().kind, dom::DomEvent::Kind::Click);
    EXPECT_EQ(Events().front().element, form.submitImage->element);
}

TEST_F(WebLoginSubmitTest, AFormWithoutControlsIsSubmittedDirectly) {
    CWebForm& form = Load("<form><input name=user></form>");
    ASSERT_TRUE(m_filler.Submit(form, u"Site"));
    ASSERT_EQ(Events().size(), 1u);
    EXPECT_EQ(Events().front().kind, dom::DomEvent::Kind::Submit);
    EXPECT_EQ(Events().front().element, form.formElement);
}

TEST_F(WebLoginSubmitTest, NothingHappensWithoutTheAutoSubmitPreference) {
    AllowAutoSubmit(false);
    CWebForm& form = Load("<form><input name=user></form>");
    ExpectNothingSubmitted(form, u"Site");
    EXPECT_EQ(m_state.submitState, 0);
    EXPECT_TRUE(m_state.submittedForms.empty());
    EXPECT_EQ(m_state.lastAutoSubmitted, u"");
}

TEST_F(WebLoginSubmitTest, AWebLoginWithAutoSubmitDisabledIsFilledButNeverSubmitted) {
    SaveSiteLogin(u"Site", CWebLogin::kOptionDisableAutoSubmit);
    CWebForm& form = Load(kLoginPage);
    ASSERT_TRUE(m_filler.Fill(form, u"Site"));
    EXPECT_EQ(Value(form, 0), u"ann");
    ExpectNothingSubmitted(form, u"Site");
    EXPECT_EQ(m_state.submitState, 0);
    EXPECT_TRUE(m_state.submittedForms.empty());
}

TEST_F(WebLoginSubmitTest, TheSameWebLoginIsNotSubmittedTwiceInARow) {
    SaveSiteLogin(u"Site");
    CWebForm& form = Load(kLoginPage);
    ASSERT_TRUE(m_filler.Fill(form, u"Site"));
    ASSERT_TRUE(m_filler.Submit(form, u"Site"));
    EXPECT_EQ(m_state.lastAutoSubmitted, u"Site");

    // The login failed and the site shows the form again: filled, not submitted.
    CWebForm& again = Load(kLoginPage);
    ASSERT_TRUE(m_filler.Fill(again, u"Site"));
    EXPECT_EQ(Value(again, 1), u"hunter2");
    ExpectNothingSubmitted(again, u"Site");

    // Another Web Login's submit clears the guard.
    ASSERT_TRUE(m_filler.Submit(again, u"Other"));
    ASSERT_TRUE(m_filler.Submit(again, u"Site"));
    EXPECT_EQ(m_state.lastAutoSubmitted, u"Site");
}

TEST_F(WebLoginSubmitTest, ASubmitSetsTheStateAndRecordsTheFormOnce) {
    CWebForm& form = Load("<form><input name=user></form><form><input name=pass></form>");
    CWebForm& second = *m_forms.at(1);
    ASSERT_TRUE(m_filler.Submit(form, u"A"));
    EXPECT_EQ(m_state.submitState, 1);
    ASSERT_TRUE(m_filler.Submit(form, u"B"));
    ASSERT_EQ(m_state.submittedForms.size(), 1u);
    EXPECT_EQ(m_state.submittedForms.front(), &form);

    ASSERT_TRUE(m_filler.Submit(second, u"A"));
    ASSERT_EQ(m_state.submittedForms.size(), 2u);
    EXPECT_EQ(m_state.submittedForms.back(), &second);
}

}  // namespace
}  // namespace veltrix
