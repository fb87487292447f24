// Filling forms from an Identity, over pages built from HTML. Most cases set the fields' keys
// themselves, so that they test the fill rules whatever recognition would make of the page.
#include "formengine/fill/identity_fill.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include "core/configuration.h"
#include "core/record_io.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tests/formengine/identity_fill_fixture.h"
#include "tests/support/fake_password_source.h"

namespace veltrix {
namespace {

std::string Boxes(std::initializer_list<int> sizes) {
    std::string html = "<form>";
    for (int size : sizes) {
        html += "<input type=text size=" + std::to_string(size) + ">";
    }
    return html + "</form>";
}

// How a phone number (555 / 123-4567) spreads over the boxes that follow its first part.
TEST_F(IdentityFillTest, PhoneNumberFollowsTheSizesAndLimitsOfItsBoxes) {
    m_identity.Set(IdentityKey::HomePhone1, u"(555)");
    m_identity.Set(IdentityKey::HomePhone2, u"123-45 67");
    struct Case {
        const char* html;
        std::initializer_list<std::u16string_view> keys;
        std::initializer_list<std::u16string_view> values;
    };
    const Case cases[] = {
        // One box wide enough for the whole number: the digits alone.
        {"<form><input size=10></form>", {u"hphone1"}, {u"5551234567"}},
        // Three boxes: the first part, then the rest by each box's size.
        {"<form><input size=3><input size=3><input size=4></form>",
         {u"hphone1", u"hphone2", u""},
         {u"555", u"123", u"4567"}},
        // A box shown short but limited to the whole number takes it all when nothing follows...
        {"<form><input size=3 maxlength=10></form>", {u"hphone1"}, {u"5551234567"}},
        // ...or when a labelled field for something else follows.
        {"<form><input size=3 maxlength=10> Given name <input size=10></form>",
         {u"hphone1", u"fname"},
         {u"5551234567", u"Ann"}},
        // A box for the rest follows: the number is split after all.
        {"<form><input size=3 maxlength=10> Number <input size=7></form>",
         {u"hphone1", u"hphone2"},
         {u"555", u"1234567"}},
        // A box whose limit is below the first box's size takes only as many as its limit.
        {"<form><input size=4><input size=6 maxlength=3><input size=4></form>",
         {u"hphone1", u"hphone2", u""},
         {u"555", u"123", u"4567"}},
        // A box whose limit is not below the first box's size takes as many as its size.
        {"<form><input size=3><input size=3 maxlength=3><input size=4></form>",
         {u"hphone1", u"hphone2", u""},
         {u"555", u"123", u"4567"}},
    };
    for (const Case& c : cases) {
        CWebForm& form = Load(c.html, c.keys);
        Fill(form);
        std::size_t i = 0;
        for (std::u16string_view expected : c.values) {
            EXPECT_EQ(Value(form, i), expected) << c.html << " field " << i;
            ++i;
        }
    }
}

TEST_F(IdentityFillTest, SocialSecurityNumberSplitsThreeTwoFour) {
    for (std::u16string_view ssn : {u"123456789", u"123-45-6789"}) {
        m_identity.Set(IdentityKey::SocialSecurityNumber, ssn);
        CWebForm& form = Load(Boxes({3, 2, 4}), {u"ssn", u"", u"ssn"});
        Fill(form);
        EXPECT_EQ(Value(form, 0), u"123");
        EXPECT_EQ(Value(form, 1), u"45");
        EXPECT_EQ(Value(form, 2), u"6789");
    }
}

// A recognised field's key name reaches the Identity, the chosen card or account (in the
// record's order), or the computed full name; other names read empty.
TEST_F(IdentityFillTest, KeyNamesReadTheIdentityTheChosenSubRecordsOrTheFullName) {
    CCreditCard card;
    card.Set(CardKey::Id, u"Work");
    card.Set(CardKey::Number, u"4111");
    m_identity.AddCreditCard(card);
    card.Set(CardKey::Number, u"5500");
    m_identity.AddCreditCard(card);  // listed first, but stored second
    CBankAccount account;
    account.Set(AccountKey::Id, u"Main");
    account.Set(AccountKey::Type, u"Checking");
    m_identity.AddBankAccount(account);
    m_identity.Set(IdentityKey::MiddleName, u"beth");

    const CIdentityFiller unchosen(m_identity, u"Ann", m_settings);
    EXPECT_EQ(unchosen.IdentityValue(u"cc#"), u"");
    EXPECT_EQ(unchosen.IdentityValue(u"batype"), u"");

    m_settings.SetIdentityCreditCard(u"Ann", u"Work");
    m_settings.SetIdentityBankAccount(u"Ann", u"Main");
    const CIdentityFiller filler(m_identity, u"Ann", m_settings);
    EXPECT_EQ(filler.IdentityValue(u"wtitle"), u"Engineer");
    EXPECT_EQ(filler.IdentityValue(u"cc#"), u"4111");
    EXPECT_EQ(filler.IdentityValue(u"batype"), u"Checking");
    EXPECT_EQ(filler.IdentityValue(u"fullname"), u"Ann b. Lee");
    for (std::u16string_view unknown : {u"name", u"ccfoo", u"bax", u"FNAME", u""}) {
        EXPECT_EQ(filler.IdentityValue(unknown), u"") << text::ToUtf8(unknown);
    }
}

TEST_F(IdentityFillTest, ZipKeepsItsDashWhenSplit) {
    m_identity.Set(IdentityKey::HomeZip, u"12345-6789");
    CWebForm& form = Load(Boxes({5, 4}), {u"hzip1", u""});
    Fill(form);
    EXPECT_EQ(Value(form, 0), u"12345");
    EXPECT_EQ(Value(form, 1), u"-678");
}

TEST_F(IdentityFillTest, ExpiryMonthFollowsTheBoxSize) {
    CCreditCard card;
    card.Set(CardKey::Id, u"Work");
    card.Set(CardKey::ExpiryMonth, u"07");
    card.Set(CardKey::ExpiryYear, u"2029");
    m_identity.AddCreditCard(card);
    m_settings.SetIdentityCreditCard(u"Ann", u"Work");
    const std::pair<int, std::u16string_view> cases[] = {
        {6, u"07/29"}, {4, u"07/29"}, {7, u"07/2029"}, {20, u"07/2029"}, {3, u"07"}, {2, u"07"}};
    for (const auto& [size, expected] : cases) {
        CWebForm& form = Load(Boxes({size}), {u"ccexpm"});
        Fill(form);
        EXPECT_EQ(Value(form, 0), expected) << size;
    }
    // Without a chosen card, card keys have no value.
    m_settings.SetIdentityCreditCard(u"Ann", u"");
    CWebForm& form = Load(Boxes({20}), {u"ccexpm"});
    Fill(form);
    EXPECT_EQ(Value(form, 0), u"");
}

TEST_F(IdentityFillTest, TitleBeforeACompanyFieldIsTheJobTitle) {
    CWebForm& personal = Load(Boxes({10, 10}), {u"title", u"fname"});
    Fill(personal);
    EXPECT_EQ(Value(personal, 0), u"Dr");
    CWebForm& business = Load(Boxes({10, 10}), {u"title", u"wco"});
    Fill(business);
    EXPECT_EQ(Value(business, 0), u"Engineer");
}

TEST_F(IdentityFillTest, CardTypeSelectionAvoidsDebitAndElectronEntries) {
    CCreditCard card;
    card.Set(CardKey::Id, u"Work");
    m_identity.AddCreditCard(card);
    m_settings.SetIdentityCreditCard(u"Ann", u"Work");
    const std::string list =
        "<form><select name=t><option>Visa Electron</option><option>Visa Debit</option>"
        "<option>Visa</option><option>MasterCard</option></select></form>";
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {u"visa debit", u"Visa Debit"},
        {u"VISA", u"Visa"},
        {u"vis", u"Visa"},
        {u"master", u"MasterCard"}};
    for (const auto& [stored, expected] : cases) {
        m_identity.FindCreditCard(u"Work")->Set(CardKey::Type, stored);
        CWebForm& form = Load(list, {u"cctype"});
        Fill(form);
        EXPECT_EQ(Selected(form, 0), expected) << text::ToUtf8(stored);
    }
}

TEST_F(IdentityFillTest, StatesAreLookedUpByExactAbbreviation) {
    const std::string names =
        "<form><select><option>Alabama</option><option>Alaska</option>"
        "<option>California</option></select></form>";
    m_identity.Set(IdentityKey::HomeState, u"CA");
    CWebForm& byName = Load(names, {u"hst"});
    Fill(byName);
    EXPECT_EQ(Selected(byName, 0), u"California");

    const std::string codes =
        "<form><select><option value=AL>Alabama</option><option value=AK>Alaska</option>"
        "<option value=AR>Arkansas</option><option value=AZ>Arizona</option>"
        "<option value=CA>California</option></select></form>";
    m_identity.Set(IdentityKey::HomeState,
                   u"ca");  // not in the map: only the abbreviation pass finds it
    CWebForm& byCode = Load(codes, {u""});
    Fill(byCode);
    EXPECT_EQ(Selected(byCode, 0), u"California");
}

TEST_F(IdentityFillTest, ReadOnlyDisabledAndTooLongFieldsStayAsTheyWere) {
    m_identity.Set(IdentityKey::Email, u"ann@example.com");
    CWebForm& form = Load(
        "<form><input readonly value=keep><input disabled value=keep>"
        "<input maxlength=5 value=keep></form>",
        {u"email", u"email", u"email"});
    Fill(form);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(Value(form, i), u"keep");
        EXPECT_EQ(form.fields[i]->element->BackgroundColor(), u"");
    }
}

TEST_F(IdentityFillTest, OnlyChangedFieldsAreHighlightedAndResetRestoresThem) {
    m_identity.Set(IdentityKey::Email, u"ann@example.com");
    CWebForm& form = Load("<form><input value=Ann style='background-color: white'><input></form>",
                          {u"fname", u"email"});
    Fill(form);
    EXPECT_EQ(form.fields[0]->element->BackgroundColor(), u"white");  // already "Ann"
    EXPECT_EQ(form.fields[1]->element->BackgroundColor(), u"80FF80");
    RestoreBackground(*form.fields[1]);
    EXPECT_EQ(form.fields[1]->element->BackgroundColor(), u"");

    m_settings.SetPreferences(config::pref::kDefault & ~config::pref::kHighlightFields);
    CWebForm& plain = Load(Boxes({20}), {u"fname"});
    Fill(plain);
    EXPECT_EQ(Value(plain, 0), u"Ann");
    EXPECT_EQ(plain.fields[0]->element->BackgroundColor(), u"");
}

TEST_F(IdentityFillTest, ASecondFillResetsTheFormFirst) {
    CWebForm& form = Load(Boxes({20}), {u"fname"});
    Fill(form);
    m_document->ClearEvents();
    Fill(form);
    ASSERT_FALSE(m_document->Events().empty());
    EXPECT_EQ(m_document->Events().front().kind, dom::DomEvent::Kind::Reset);
    EXPECT_EQ(Value(form, 0), u"Ann");
}

TEST_F(IdentityFillTest, StreetLinesGoOneAFieldAndSpareFieldsStayUntouched) {
    m_identity.Set(IdentityKey::HomeStreet, u"12 Elm St  \r\n\r\nApt 4");
    CWebForm& two = Load(Boxes({20, 20}), {u"hstr", u""});
    Fill(two);
    EXPECT_EQ(Value(two, 0), u"12 Elm St");
    EXPECT_EQ(Value(two, 1), u"Apt 4");
    CWebForm& three =
        Load("<form><input><input><input value=keep></form>", {u"hstr", u"hstr", u""});
    Fill(three);
    EXPECT_EQ(Value(three, 2), u"keep");
}

TEST_F(IdentityFillTest, SexRadioButtonsMatchTheWordAfterThem) {
    m_identity.Set(IdentityKey::Sex, u"F");
    CWebForm& form = Load(
        "<form><p><input type=radio name=s value=1> Male <input type=radio name=s value=2> "
        "Female</p>"
        "</form>",
        {u"sex", u"sex"});
    Fill(form);
    EXPECT_FALSE(form.fields[0]->element->IsChecked());
    EXPECT_TRUE(form.fields[1]->element->IsChecked());
}

TEST_F(IdentityFillTest, FillWithIdentityLoadsTheRecordAndSkipsLoginForms) {
    test::FakePasswordSource source(u"Secret1");
    std::filesystem::create_directories(m_env.VaultFolder());
    ASSERT_TRUE(
        WriteIdentity(text::FromUtf8((m_env.VaultFolder() / "Ann.vxi").string()), m_identity)
            .HasValue());
    Load(
        "<form><input name=user><input type=password name=pass></form>"
        "<form><input name=firstname size=20></form>");
    for (auto& field : m_forms[1]->fields) {
        field->key = u"fname";
    }
    m_forms[0]->loginForm = true;
    EXPECT_TRUE(FillWithIdentity(m_settings, m_forms, u"Ann"));
    EXPECT_EQ(m_forms[0]->fields[0]->element->GetAttribute(u"value"), u"");
    EXPECT_EQ(m_forms[1]->fields[0]->element->GetAttribute(u"value"), u"Ann");
    EXPECT_FALSE(FillWithIdentity(m_settings, m_forms, u""));
    EXPECT_FALSE(FillWithIdentity(m_settings, m_forms, u"Nobody"));
}

TEST_F(IdentityFillTest, PasswordsGoIntoEveryPasswordInput) {
    CWebForm& form =
        Load("<form><input name=user><input type=password><input type=password></form>");
    EXPECT_TRUE(FillPasswords(form, u"", false, Highlighting::Read(m_settings)));
    EXPECT_TRUE(FillPasswords(form, u"s3cret!", true, Highlighting::Read(m_settings)));
    EXPECT_EQ(Value(form, 0), u"");
    EXPECT_EQ(Value(form, 1), u"s3cret!");
    EXPECT_EQ(Value(form, 2), u"s3cret!");
    CWebForm& none = Load(Boxes({20}));
    EXPECT_FALSE(FillPasswords(none, u"x", false, Highlighting::Read(m_settings)));
}

}  // namespace
}  // namespace veltrix
