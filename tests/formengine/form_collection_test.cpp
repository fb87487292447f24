// Collecting the forms of a page: which controls become fields (in document order), which become
// the submit input, button or image, what each field records when it is built (value text,
// maximum length, label), and the login-form flag.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formengine/form/web_form.h"
#include "platform/text.h"
#include "tests/formengine/identity_fill_fixture.h"

namespace veltrix {
namespace {

constexpr std::int32_t kNoMaxLength = 2147483647;
constexpr std::int32_t kListMaxLength = 32768;

class FormCollectionTest : public IdentityFillTest {
protected:
    // The names of the form's fields, in list order.
    static std::vector<std::u16string> Names(const CWebForm& form) {
        std::vector<std::u16string> names;
        for (const auto& field : form.fields) {
            names.push_back(field->name);
        }
        return names;
    }

    static const CFormField& Named(const CWebForm& form, std::u16string_view name) {
        for (const auto& field : form.fields) {
            if (field->name == name) {
                return *field;
            }
        }
        ADD_FAILURE() << "no field " << text::ToUtf8(name);
        static const CFormField none;
        return none;
    }

    // The "id" of a submit candidate's element; empty when there is none.
    static std::u16string IdOf(const std::unique_ptr<CFormField>& field) {
        return field != nullptr ? field->element->GetAttribute(u"id") : std::u16string();
    }
};

// A shop's sign-up page laid out in a table, with a search form above it.
const std::string kSignUpPage =
    "<html><head><title>Create your account</title></head><body>"
    "<div class=top><form action=/search><input name=q size=25> <input type=submit "
    "value=Go></form></div>"
    "<h1>Create your account</h1>"
    "<form id=signup action=/register method=post>"
    "<input type=hidden name=csrf_token value=9f8e7d6c>"
    "<table class=fields>"
    "<tr><td>Title</td><td><select "
    "name=title><option></option><option>Mr</option><option>Mrs</option>"
    "<option>Ms</option></select></td></tr>"
    "<tr><td>First name</td><td><input type=text name=first_name maxlength=40></td></tr>"
    "<tr><td>Last name</td><td><input type=TEXT name=last_name maxlength=40></td></tr>"
    "<tr><td>E-mail</td><td><input type=email name=email></td></tr>"
    "<tr><td>Mobile phone</td><td><input type=tel name=mobile></td></tr>"
    "<tr><td>Date of birth</td><td><select "
    "name=dob_m><option>01</option><option>02</option></select>"
    " <select name=dob_d><option>01</option><option>02</option></select>"
    " <input type=number name=dob_y size=4 maxlength=4></td></tr>"
    "<tr><td>Gender</td><td><input type=radio name=gender value=f> Female"
    " <input type=radio name=gender value=m checked> Male</td></tr>"
    "<tr><td>Username</td><td><input name=username maxlength=20></td></tr>"
    "<tr><td>Password</td><td><input type=password name=pw></td></tr>"
    "<tr><td>Repeat password</td><td><input type=password name=pw2></td></tr>"
    "<tr><td>Profile picture</td><td><input type=file name=avatar></td></tr>"
    "<tr><td>Interests</td><td><select name=interests multiple size=4 maxlength=10>"
    "<option selected>Travel</option><option>Music</option><option selected>Sport</option>"
    "<option>Cooking</option></select></td></tr>"
    "<tr><td>About you</td><td><textarea name=bio maxlength=500>I like hiking.</textarea></td></tr>"
    "<tr><td colspan=2><input type=checkbox name=newsletter checked> Send me offers</td></tr>"
    "<tr><td colspan=2><input type=checkbox name=terms value=yes> I accept the terms</td></tr>"
    "</table>"
    "<input type=reset value=Clear> <input type=button id=preview value=Preview>"
    " <button type=submit>Create account</button>"
    " <input type=submit id=create name=create value=\"Create account\">"
    " <input type=submit id=later name=later value=\"Maybe later\">"
    "</form></body></html>";

// A checkout page: shipping address, payment, a gift message and two ways to submit.
const std::string kCheckoutPage =
    "<html><head><title>Checkout</title></head><body>"
    "<form name=checkout action=/checkout method=post>"
    "<h2>Shipping address</h2>"
    "<table>"
    "<tr><td>Full name:</td><td><input name=ship_name size=30></td></tr>"
    "<tr><td>Street address:</td><td><input name=ship_addr1 size=30><br><input name=ship_addr2 "
    "size=30></td></tr>"
    "<tr><td>City:</td><td><input name=ship_city></td></tr>"
    "<tr><td>State:</td><td><select name=ship_state><option value=\"\">Select</option>"
    "<option value=AL>Alabama</option><option value=AK>Alaska</option></select>"
    " ZIP: <input name=ship_zip size=5 maxlength=5>-<input name=ship_zip4 size=4 "
    "maxlength=4></td></tr>"
    "<tr><td>Phone:</td><td>(<input name=ph1 size=3 maxlength=3>) <input name=ph2 size=3 "
    "maxlength=3>"
    "-<input name=ph3 size=4 maxlength=4></td></tr>"
    "</table>"
    "<h2>Payment</h2>"
    "<table>"
    "<tr><td>Card type:</td><td><select "
    "name=card_type><option>Visa</option><option>MasterCard</option>"
    "</select></td></tr>"
    "<tr><td>Card number:</td><td><input name=card_number size=20 maxlength=19 "
    "autocomplete=off></td></tr>"
    "<tr><td>Expiration:</td><td><select "
    "name=exp_month><option>01</option><option>12</option></select>"
    " / <select name=exp_year><option>2026</option><option>2027</option></select></td></tr>"
    "<tr><td>Security code:</td><td><input type=password name=cvv size=4 maxlength=4></td></tr>"
    "</table>"
    "<p>Gift message (optional):</p>"
    "<textarea name=gift rows=3 cols=40></textarea>"
    "<p><input type=checkbox name=save_card> Remember this card</p>"
    "<input type=image id=img name=place_order src=\"/static/img/btn_submit.gif\" alt=\"Place "
    "order\">"
    "<a id=js href=\"javascript:document.checkout.submit()\">Submit order</a>"
    "</form></body></html>";

// A site's sign-in page: a search form in the header and the sign-in form.
const std::string kLoginPage =
    "<html><head><title>Sign in</title></head><body>"
    "<div id=header><form action=/search><input name=q size=25> <input type=submit "
    "value=Search></form></div>"
    "<div id=main><h1>Sign in to your account</h1>"
    "<form id=login action=/session method=post>"
    "<input type=hidden name=authenticity_token value=x1y2>"
    "<p><label for=u>Email or username</label><br><input id=u name=login size=30></p>"
    "<p><label for=p>Password</label><br><input type=password id=p name=password size=30></p>"
    "<p><input type=checkbox name=remember value=1> Keep me signed in</p>"
    "<p><input type=submit id=commit name=commit value=\"Sign in\"> "
    "<a href=\"/password_reset\">Forgot password?</a></p>"
    "</form></div></body></html>";

// ---- Fields and submit candidates ----

TEST_F(FormCollectionTest, SignUpPageKeepsItsFieldsInDocumentOrder) {
    Load(kSignUpPage);
    ASSERT_EQ(m_forms.size(), 2u);
    const CWebForm& form = *m_forms[1];
    // Hidden, e-mail, telephone, file, reset and button inputs and the <button> element are not
    // fields; list boxes and the text area are.
    const std::vector<std::u16string> expected = {
        u"title", u"first_name", u"last_name", u"dob_m",      u"dob_d",
        u"dob_y", u"gender",     u"gender",    u"username",   u"pw",
        u"pw2",   u"interests",  u"bio",       u"newsletter", u"terms"};
    EXPECT_EQ(Names(form), expected);

    const std::pair<FieldKind, InputType> kinds[] = {
        {FieldKind::Select, InputType::Other},   {FieldKind::Input, InputType::Text},
        {FieldKind::Input, InputType::Text},     {FieldKind::Select, InputType::Other},
        {FieldKind::Select, InputType::Other},   {FieldKind::Input, InputType::Number},
        {FieldKind::Input, InputType::Radio},    {FieldKind::Input, InputType::Radio},
        {FieldKind::Input, InputType::Text},     {FieldKind::Input, InputType::Password},
        {FieldKind::Input, InputType::Password}, {FieldKind::Select, InputType::Other},
        {FieldKind::TextArea, InputType::Other}, {FieldKind::Input, InputType::Checkbox},
        {FieldKind::Input, InputType::Checkbox}};
    ASSERT_EQ(form.fields.size(), std::size(kinds));
    for (std::size_t i = 0; i < form.fields.size(); ++i) {
        const CFormField& field = *form.fields[i];
        EXPECT_EQ(field.kind, kinds[i].first) << i;
        EXPECT_EQ(field.inputType, kinds[i].second) << i;
        EXPECT_EQ(field.index, static_cast<std::int32_t>(i));
        EXPECT_EQ(field.form, &form);
        EXPECT_EQ(field.Previous(), i == 0 ? nullptr : form.fields[i - 1].get());
        EXPECT_EQ(field.Next(), i + 1 == form.fields.size() ? nullptr : form.fields[i + 1].get());
    }
    EXPECT_EQ(form.pageUrl, kFixturePageAddress);
    EXPECT_EQ(form.frameUrl, kFixturePageAddress);
    EXPECT_FALSE(form.filled);

    // The first submit input wins; the preview button says nothing about submitting.
    EXPECT_EQ(IdOf(form.submitInput), u"create");
    EXPECT_EQ(IdOf(form.submitButton), u"");
    EXPECT_EQ(IdOf(form.submitImage), u"");
    // Eleven inputs and text areas: too many for a login form, although a password field lies
    // within the first four text and password fields.
    EXPECT_FALSE(form.loginForm);
    EXPECT_FALSE(m_forms[0]->loginForm);
    EXPECT_EQ(Names(*m_forms[0]), std::vector<std::u16string>{u"q"});
}

TEST_F(FormCollectionTest, OnlyTextPasswordCheckboxRadioAndNumberInputsAreFields) {
    struct Case {
        const char* type;
        bool kept;
    };
    const Case cases[] = {
        {"text", true},    {"TEXT", true},   {"Password", true}, {"checkbox", true},
        {"radio", true},   {"number", true}, {"", true},         {"hidden", false},
        {"file", false},   {"reset", false}, {"email", false},   {"tel", false},
        {"search", false}, {"url", false},   {"date", false},    {"color", false},
        {"range", false},  {"image", false}, {"button", false},  {"submit", false},
    };
    for (const Case& c : cases) {
        const std::string html =
            std::string("<form><input name=x type=\"") + c.type + "\" value=Go></form>";
        CWebForm& form = Load(html);
        EXPECT_EQ(form.fields.size(), c.kept ? 1u : 0u) << c.type;
    }
    // Elements other than input, select, textarea and a are passed over.
    CWebForm& form = Load(
        "<form><fieldset><legend>x</legend><label>y</label><button name=b>Save</button>"
        "<output name=o>1</output><object name=ob></object></fieldset></form>");
    EXPECT_TRUE(form.fields.empty());
    EXPECT_EQ(form.submitInput, nullptr);
    EXPECT_EQ(form.submitButton, nullptr);
}

TEST_F(FormCollectionTest, SubmitCandidatesFollowTheirOwnRules) {
    struct Case {
        const char* name;
        const char* controls;
        std::u16string_view input;
        std::u16string_view button;
        std::u16string_view image;
    };
    const Case cases[] = {
        {"first submit input",
         "<input type=submit id=a value=Save><input type=submit id=b value=Login>", u"a", u"", u""},
        {"button saying log in", "<input type=button id=a value=\"Log In\">", u"", u"a", u""},
        {"button saying next", "<input type=button id=a value=\"Next &raquo;\">", u"", u"a", u""},
        {"button saying submit", "<input type=button id=a value=\"SUBMIT\">", u"", u"a", u""},
        {"button saying cancel", "<input type=button id=a value=Cancel>", u"", u"", u""},
        {"first qualifying button",
         "<input type=button id=a value=Cancel><input type=button id=b value=\"Next step\">"
         "<input type=button id=c value=Submit>",
         u"", u"b", u""},
        {"image by name", "<input type=image id=a name=btnLogin src=/i/go.gif>", u"", u"", u"a"},
        {"image name is only lower-cased", "<input type=image id=a name=Log_In src=/i/go.gif>", u"",
         u"", u""},
        {"image by alt", "<input type=image id=a src=/i/go.gif alt=\"Log in\">", u"", u"", u"a"},
        {"image by file", "<input type=image id=a src=\"/img/btn-Submit.png\">", u"", u"", u"a"},
        {"image folder does not count", "<input type=image id=a src=\"/login/go.png\">", u"", u"",
         u""},
        {"image saying next", "<input type=image id=a src=/i/next.gif alt=Next>", u"", u"", u""},
        {"later image replaces earlier",
         "<input type=image id=a alt=Login src=/i/a.gif><input type=image id=b src=/i/submit.gif>",
         u"", u"", u"b"},
        {"image after a button",
         "<input type=button id=a value=Submit><input type=image id=b alt=Submit src=/i/s.gif>",
         u"", u"a", u""},
        {"image before a button",
         "<input type=image id=b alt=Submit src=/i/s.gif><input type=button id=a value=Submit>",
         u"", u"a", u"b"},
        {"script anchor", "<a id=a href=\"javascript:document.f.submit()\">Submit</a>", u"", u"a",
         u""},
        {"script anchor in capitals", "<a id=a href=\"JavaScript:go()\">Log in</a>", u"", u"a",
         u""},
        {"script anchor saying continue", "<a id=a href=\"javascript:go()\">Continue</a>", u"", u"",
         u""},
        {"plain link", "<a id=a href=\"/next\">Next</a>", u"", u"", u""},
        {"anchor after a button",
         "<input type=button id=a value=Next><a id=b href=\"javascript:go()\">Login</a>", u"", u"a",
         u""},
        {"button after an anchor",
         "<a id=b href=\"javascript:go()\">Login</a><input type=button id=a value=Next>", u"", u"b",
         u""},
    };
    for (const Case& c : cases) {
        CWebForm& form = Load(std::string("<form><input name=user>") + c.controls + "</form>");
        EXPECT_EQ(Names(form), std::vector<std::u16string>{u"user"}) << c.name;
        EXPECT_EQ(IdOf(form.submitInput), c.input) << c.name;
        EXPECT_EQ(IdOf(form.submitButton), c.button) << c.name;
        EXPECT_EQ(IdOf(form.submitImage), c.image) << c.name;
    }
}

// ---- What a field records ----

TEST_F(FormCollectionTest, ValueTextIsTheValueOrTheSelectedOptionTextsJoinedByBars) {
    Load(kSignUpPage);
    const CWebForm& form = *m_forms[1];
    struct Case {
        std::u16string_view name;
        std::u16string_view value;
    };
    const Case cases[] = {
        {u"interests", u"Travel|Sport"},  // several selected, in option order
        {u"dob_m", u"01"},                // a drop-down shows its first option
        {u"title", u""},                  // ... which may have no text
        {u"bio", u"I like hiking."},
        {u"first_name", u""},
    };
    for (const Case& c : cases) {
        const CFormField& field = Named(form, c.name);
        EXPECT_EQ(field.valueText, c.value) << text::ToUtf8(c.name);
        EXPECT_EQ(field.initialValue, c.value) << text::ToUtf8(c.name);
    }
    EXPECT_TRUE(Named(form, u"newsletter").checkedInitially);
    EXPECT_TRUE(Named(form, u"newsletter").checkedNow);
    EXPECT_FALSE(Named(form, u"terms").checkedInitially);
    EXPECT_FALSE(form.fields[6]->checkedInitially);  // gender f
    EXPECT_TRUE(form.fields[7]->checkedInitially);   // gender m

    CWebForm& prefilled = Load(
        "<form><input name=city value=\"Portland\"><select name=st><option>OR</option>"
        "<option selected>WA</option></select><select name=tags multiple><option>a</option>"
        "<option>b</option></select></form>");
    EXPECT_EQ(prefilled.fields[0]->valueText, u"Portland");
    EXPECT_EQ(prefilled.fields[1]->valueText, u"WA");
    EXPECT_EQ(prefilled.fields[2]->valueText, u"");
}

TEST_F(FormCollectionTest, CheckBoxAndRadioValueTextIsTheirValueAttribute) {
    Load(kSignUpPage);
    const CWebForm& form = *m_forms[1];
    EXPECT_EQ(Named(form, u"terms").valueText, u"yes");
    EXPECT_EQ(Named(form, u"terms").initialValue, u"yes");
    EXPECT_EQ(form.fields[6]->initialValue, u"f");  // gender
    EXPECT_EQ(form.fields[7]->initialValue, u"m");
}

TEST_F(FormCollectionTest, RadioButtonWithoutWordsIsMatchedByItsValue) {
    // The initial value read at collection is what the fill compares when no text follows.
    m_identity.Set(IdentityKey::Sex, u"F");
    CWebForm& form = Load(
        "<form><table><tr><td>Sex</td><td><input type=radio name=sex value=M></td>"
        "<td><input type=radio name=sex value=F></td></tr></table></form>",
        {u"sex", u"sex"});
    Fill(form);
    EXPECT_FALSE(form.fields[0]->element->IsChecked());
    EXPECT_TRUE(form.fields[1]->element->IsChecked());
}

TEST_F(FormCollectionTest, ListBoxesAndTextAreasHaveMaximumLength32768) {
    Load(kSignUpPage);
    const CWebForm& form = *m_forms[1];
    const std::pair<std::u16string_view, std::int32_t> cases[] = {
        {u"interests", kListMaxLength},  // its maxlength attribute does not count
        {u"title", kListMaxLength},
        {u"bio", kListMaxLength},  // nor does a text area's
        {u"first_name", 40},
        {u"username", 20},
        {u"dob_y", 4},
        {u"pw", kNoMaxLength},  // none given
    };
    for (const auto& [name, maxLength] : cases) {
        EXPECT_EQ(Named(form, name).maxLength, maxLength) << text::ToUtf8(name);
    }
    EXPECT_EQ(Named(form, u"dob_y").size, 4);
    EXPECT_EQ(Named(form, u"interests").size, 4);
}

TEST_F(FormCollectionTest, ReadOnlyAndDisabledAreReadWhenTheFieldIsBuilt) {
    CWebForm& form = Load(
        "<form><input name=a readonly><input name=b disabled><fieldset disabled><input name=c>"
        "</fieldset><textarea name=d readonly></textarea><input name=e></form>");
    const std::pair<bool, bool> expected[] = {
        {true, false}, {false, true}, {false, true}, {true, false}, {false, false}};
    ASSERT_EQ(form.fields.size(), std::size(expected));
    for (std::size_t i = 0; i < form.fields.size(); ++i) {
        EXPECT_EQ(form.fields[i]->readOnly, expected[i].first) << i;
        EXPECT_EQ(form.fields[i]->disabled, expected[i].second) << i;
    }
}

// ---- Labels ----

TEST_F(FormCollectionTest, CheckoutLabelsComeFromTableCellsAndNearbyText) {
    CWebForm& form = Load(kCheckoutPage);
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {u"ship_name", u"Full name:"},
        {u"ship_addr1", u"Street address:"},
        {u"ship_addr2", u""},  // stops at the box before it, which is the previous field
        {u"ship_city", u"City:"},
        {u"ship_state", u"State:"},
        {u"ship_zip", u"ZIP:"},  // stops on entering the option before it
        {u"ship_zip4", u"-"},
        {u"ph1", u"Phone:("},
        {u"ph2", u")"},
        {u"ph3", u"-"},
        {u"card_type", u"Card type:"},
        {u"card_number", u"Card number:"},
        {u"exp_month", u"Expiration:"},
        {u"exp_year", u"/"},
        {u"cvv", u"Security code:"},
        {u"gift", u"Gift message (optional):"},
        {u"save_card", u""},  // its words follow it; before it is the text area
    };
    ASSERT_EQ(form.fields.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(form.fields[i]->name, cases[i].first);
        EXPECT_EQ(form.fields[i]->label, cases[i].second) << text::ToUtf8(cases[i].first);
    }
    // The image qualifies by its file name, the script anchor by its text; neither has a label.
    EXPECT_EQ(IdOf(form.submitImage), u"img");
    EXPECT_EQ(form.submitImage->label, u"");
    EXPECT_EQ(IdOf(form.submitButton), u"js");
    EXPECT_EQ(form.submitButton->valueText, u"");
    EXPECT_EQ(form.submitInput, nullptr);
    EXPECT_FALSE(form.loginForm);  // the security code is a password field, but far down
}

TEST_F(FormCollectionTest, LabelWalkStopsAtFormsRowsOptionsAndEarlierInputs) {
    struct Case {
        const char* name;
        const char* html;  // the field under test is named "x"
        std::u16string_view label;
    };
    const std::string longText(150, 'a');
    const std::string longHtml = "<form><p>" + longText.substr(0, 40) + " " +
                                 longText.substr(0, 109) + "</p><input name=x></form>";
    const Case cases[] = {
        {"text before the field", "<form>Email address: <input name=x></form>", u"Email address:"},
        {"nothing before the form", "<p>Welcome back</p><form><input name=x></form>", u""},
        {"table cell",
         "<form><table><tr><td>Company</td><td><input name=x></td></tr></table></form>",
         u"Company"},
        {"label element", "<form><label for=i>Town</label> <input id=i name=x></form>", u"Town"},
        {"same run once",
         "<form><table><tr><td>Phone</td><td>Phone<input name=x></td></tr></table></form>",
         u"Phone"},
        // A row boundary stops only a label of more than two characters.
        {"short label goes on past the row",
         "<form><table><tr><td><input name=a> *</td></tr><tr><td>MI</td><td><input "
         "name=x></td></tr>"
         "</table></form>",
         u"*MI"},
        {"longer label stops at the row",
         "<form><table><tr><td><input name=a> *</td></tr><tr><td>ZIP</td><td><input "
         "name=x></td></tr>"
         "</table></form>",
         u"ZIP"},
        // An input of another name stops the walk once the label has two characters.
        {"input after one character", "<form>Card <input type=hidden name=a>#<input name=x></form>",
         u"Card #"},
        {"input after two characters",
         "<form>Card <input type=hidden name=a>No<input name=x></form>", u"No"},
        // The previous field's own box stops the walk even with no label yet.
        {"previous field's box", "<form>Card number <input name=x1><input name=x></form>", u""},
        // A hidden input is no field and does not stop an empty label.
        {"hidden input", "<form>Card number <input type=hidden name=t><input name=x></form>",
         u"Card number"},
        {"text area", "<form><textarea name=a>notes</textarea> Zip <input name=x></form>", u"Zip"},
    };
    for (const Case& c : cases) {
        CWebForm& form = Load(c.html);
        EXPECT_EQ(Named(form, u"x").label, c.label) << c.name;
    }
    // A long run is read 100 characters at a time, and more than 75 ends the walk.
    CWebForm& form = Load(longHtml);
    EXPECT_EQ(Named(form, u"x").label, text::FromUtf8(longText.substr(0, 100)));
}

TEST_F(FormCollectionTest, RadioButtonTakesTheLabelOfThePreviousRadioOfItsName) {
    Load(kSignUpPage);
    const CWebForm& form = *m_forms[1];
    EXPECT_EQ(form.fields[6]->label, u"Gender");
    EXPECT_EQ(form.fields[7]->label, u"Gender");  // not "Female", the text just before it

    struct Case {
        const char* name;
        const char* html;
        std::u16string_view second;
    };
    const Case cases[] = {
        {"same name",
         "<form>Plan: <input type=radio name=p> Basic <input type=radio name=p> Pro</form>",
         u"Plan:"},
        {"other name",
         "<form>Plan: <input type=radio name=p> Basic <input type=radio name=q> Pro</form>",
         u"Basic"},
        {"previous radio without label",
         "<form><input type=radio name=p> Basic <input type=radio name=p> Pro</form>", u"Basic"},
        {"previous field a checkbox",
         "<form>Plan: <input type=checkbox name=p> Basic <input type=radio name=p> Pro</form>",
         u"Basic"},
    };
    for (const Case& c : cases) {
        CWebForm& radios = Load(c.html);
        ASSERT_EQ(radios.fields.size(), 2u) << c.name;
        EXPECT_EQ(radios.fields[1]->label, c.second) << c.name;
    }
}

// ---- Login forms and frames ----

TEST_F(FormCollectionTest, SignInPageHasOneLoginForm) {
    Load(kLoginPage);
    ASSERT_EQ(m_forms.size(), 2u);
    const CWebForm& search = *m_forms[0];
    const CWebForm& login = *m_forms[1];
    EXPECT_FALSE(search.loginForm);
    EXPECT_EQ(Names(search), std::vector<std::u16string>{u"q"});
    ASSERT_NE(search.submitInput, nullptr);
    EXPECT_EQ(search.submitInput->initialValue, u"Search");

    EXPECT_TRUE(login.loginForm);
    EXPECT_EQ(Names(login), (std::vector<std::u16string>{u"login", u"password", u"remember"}));
    EXPECT_EQ(login.fields[0]->label, u"Email or username");
    EXPECT_EQ(login.fields[1]->label, u"Password");
    EXPECT_EQ(IdOf(login.submitInput), u"commit");
    EXPECT_EQ(login.submitInput->label, u"");  // submit inputs get no label
    EXPECT_EQ(login.submitButton, nullptr);    // the reset link is no script
}

TEST_F(FormCollectionTest, LoginFlagDependsOnThePasswordFieldsPlace) {
    struct Case {
        const char* name;
        const char* html;
        bool login;
    };
    const Case cases[] = {
        {"password after a check box and a list",
         "<form><input type=checkbox name=c><select name=s><option>a</option></select><input "
         "name=a>"
         "<input name=b><input name=c2><input type=password name=p></form>",
         true},
        {"password fifth text field",
         "<form><input name=a><input name=b><input name=c><input name=d><input type=password "
         "name=p>"
         "</form>",
         false},
        {"text box labelled password", "<form>Password: <input name=p></form>", true},
        {"no password", "<form>Name <input name=n> Email <input name=e></form>", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Load(c.html).loginForm, c.login) << c.name;
    }
}

TEST_F(FormCollectionTest, FormsOfAFrameKeepThePageAndFrameAddressesAndAreAppended) {
    Load(kLoginPage);
    ASSERT_EQ(m_forms.size(), 2u);
    auto frame = dom::BuildDocumentFromHtml(kCheckoutPage, u"https://pay.example.net/frame");
    EXPECT_TRUE(CollectForms(frame, u"https://shop.example.com/cart", m_forms));
    ASSERT_EQ(m_forms.size(), 3u);
    EXPECT_TRUE(m_forms[1]->loginForm);  // the earlier forms stay in place
    EXPECT_EQ(m_forms[2]->pageUrl, u"https://shop.example.com/cart");
    EXPECT_EQ(m_forms[2]->frameUrl, u"https://pay.example.net/frame");
    EXPECT_EQ(m_forms[2]->fields.front()->name, u"ship_name");

    EXPECT_FALSE(CollectForms(nullptr, u"https://shop.example.com/cart", m_forms));
    EXPECT_EQ(m_forms.size(), 3u);
    EXPECT_TRUE(CollectForms(dom::BuildDocumentFromHtml("<p>No forms here</p>"), u"x", m_forms));
    EXPECT_EQ(m_forms.size(), 3u);
}

}  // namespace
}  // namespace veltrix
