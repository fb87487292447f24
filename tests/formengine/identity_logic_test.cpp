// The Identity decision after a page load or on the Fill Form command, the Fill Identity prompt's
// lists and its buttons.
#include "formengine/helper/identity_logic.h"

#include <gtest/gtest.h>

#include <fstream>

#include "core/identity.h"
#include "core/record_io.h"
#include "tests/formengine/page_fixture.h"

namespace veltrix {
namespace {

using formviews::PromptButton;

constexpr char kSignUpPage[] =
    "<form><label>First name <input id=fn name=firstname></label>"
    "<label>Last name <input id=ln name=lastname></label>"
    "<label>Email <input id=em name=email></label>"
    "<label>Card number <input id=cc name=ccnumber></label></form>";

class IdentityLogicTest : public test::PageTest {
protected:
    IdentityLogicTest() { m_logic.CreatePrompt(); }

    // Writes an Identity with the named cards.
    void WriteIdentity(std::u16string_view name, std::u16string_view first,
                       std::initializer_list<std::u16string_view> cards = {}) {
        CIdentity identity;
        identity.Set(IdentityKey::FirstName, first);
        identity.Set(IdentityKey::Email, std::u16string(first) + u"@mail.example");
        for (std::u16string_view card : cards) {
            CCreditCard& added = identity.AddCreditCard();
            added.Set(CardKey::Id, card);
            added.Set(CardKey::Number, u"4111 " + std::u16string(card));
        }
        ASSERT_TRUE(
            veltrix::WriteIdentity(RecordPath(m_settings.GetRecordFolder(RecordKind::Identity),
                                              name, RecordKind::Identity),
                                   identity)
                .HasValue());
    }

    // The card names of the stored Identity, in its order.
    std::vector<std::u16string> CardNames(std::u16string_view name) {
        const auto identity = ReadIdentity(RecordPath(
            m_settings.GetRecordFolder(RecordKind::Identity), name, RecordKind::Identity));
        EXPECT_TRUE(identity.HasValue());
        std::vector<std::u16string> cards;
        for (const CCreditCard& card :
             identity ? identity->CreditCards() : std::list<CCreditCard>{}) {
            cards.push_back(card.GetId());
        }
        return cards;
    }

    formviews::MemoryFillIdentityPrompt& Prompt() {
        auto* prompt = m_views.FillIdentityPrompt();
        EXPECT_NE(prompt, nullptr);
        return *prompt;
    }

    CIdentityLogic m_logic{m_page, m_host};
};

TEST_F(IdentityLogicTest, PromptModeListsTheIdentitiesWithTheCurrentOnesCards) {
    WriteIdentity(u"work", u"Ann", {u"Visa", u"Amex"});
    WriteIdentity(u"Home", u"Bob");
    m_settings.SetCurrentIdentity(u"work");
    m_settings.SetIdentityCreditCard(u"work", u"Visa");
    LoadPage(kSignUpPage);
    m_logic.Decide(false);

    ASSERT_TRUE(Prompt().IsVisible());
    EXPECT_FALSE(Prompt().Activated());
    EXPECT_EQ(Prompt().Identities().entries, (std::vector<std::u16string>{u"Home", u"work"}));
    EXPECT_EQ(Prompt().Identities().SelectedText(), u"work");
    // In the Identity's order, with the chosen card selected and an empty entry after them.
    std::vector<std::u16string> cards = CardNames(u"work");
    cards.emplace_back();
    EXPECT_EQ(Prompt().CreditCards().entries, cards);
    EXPECT_EQ(Prompt().CreditCards().SelectedText(), u"Visa");
    m_settings.SetIdentityCreditCard(u"work", u"Amex");
    m_logic.Decide(true);
    EXPECT_EQ(Prompt().CreditCards().SelectedText(), u"Amex");
    EXPECT_TRUE(Prompt().CreditCards().enabled);
    EXPECT_FALSE(Prompt().BankAccounts().enabled);
    EXPECT_TRUE(Prompt().BankAccounts().entries.empty());
    EXPECT_EQ(Value(u"fn"), u"");
}

TEST_F(IdentityLogicTest, YesStoresTheChoicesAndFills) {
    WriteIdentity(u"work", u"Ann", {u"Visa", u"Amex"});
    WriteIdentity(u"Home", u"Bob", {u"Debit"});
    m_settings.SetCurrentIdentity(u"work");
    LoadPage(kSignUpPage);
    m_logic.Decide(false);
    EXPECT_EQ(Prompt().CreditCards().selected, 0);  // nothing chosen: the first

    ASSERT_TRUE(Prompt().ChooseIdentity(u"Home"));
    EXPECT_EQ(Prompt().CreditCards().entries, (std::vector<std::u16string>{u"Debit", u""}));
    Prompt().Press(PromptButton::Yes);
    EXPECT_FALSE(Prompt().IsVisible());
    EXPECT_EQ(m_settings.GetCurrentIdentity(), u"Home");
    EXPECT_EQ(m_settings.GetIdentityCreditCard(u"Home"), u"Debit");
    EXPECT_EQ(Value(u"fn"), u"Bob");
    EXPECT_EQ(Value(u"cc"), u"4111 Debit");
    EXPECT_TRUE(m_logic.Dismissed());
}

TEST_F(IdentityLogicTest, AnIdentityThatDoesNotLoadPutsTheListBack) {
    WriteIdentity(u"work", u"Ann");
    m_settings.SetCurrentIdentity(u"work");
    LoadPage(kSignUpPage);
    m_logic.Decide(false);
    std::filesystem::path broken = m_env.Root() / "identities" / "Broken.vxi";
    { std::ofstream(broken) << "not a record"; }
    m_logic.Decide(true);  // the list now holds Broken too
    ASSERT_TRUE(Prompt().ChooseIdentity(u"Broken"));
    EXPECT_EQ(Prompt().Identities().SelectedText(), u"work");
}

TEST_F(IdentityLogicTest, AFailedChoiceGoesBackToTheCurrentIdentityWithItsOwnCards) {
    WriteIdentity(u"work", u"Ann", {u"Visa"});
    WriteIdentity(u"Home", u"Bob", {u"Debit"});
    m_settings.SetCurrentIdentity(u"work");
    LoadPage(kSignUpPage);
    { std::ofstream(m_env.Root() / "identities" / "Broken.vxi") << "not a record"; }
    m_logic.Decide(false);
    ASSERT_TRUE(Prompt().ChooseIdentity(u"Home"));
    ASSERT_TRUE(Prompt().ChooseIdentity(u"Broken"));
    // Not back to Home, the last one listed: to the current Identity, with its cards.
    EXPECT_EQ(Prompt().Identities().SelectedText(), u"work");
    EXPECT_EQ(Prompt().CreditCards().entries, (std::vector<std::u16string>{u"Visa", u""}));
    Prompt().Press(PromptButton::Yes);
    EXPECT_EQ(m_settings.GetCurrentIdentity(), u"work");
    EXPECT_EQ(m_settings.GetIdentityCreditCard(u"work"), u"Visa");
    EXPECT_EQ(m_settings.GetIdentityCreditCard(u"Home"), u"");
    EXPECT_EQ(Value(u"fn"), u"Ann");
}

TEST_F(IdentityLogicTest, AFailedChoiceWithoutACurrentIdentityLeavesNothingSelected) {
    WriteIdentity(u"Home", u"Bob", {u"Debit"});
    LoadPage(kSignUpPage);
    { std::ofstream(m_env.Root() / "identities" / "Broken.vxi") << "not a record"; }
    m_logic.Decide(false);
    ASSERT_TRUE(Prompt().ChooseIdentity(u"Home"));
    ASSERT_TRUE(Prompt().ChooseIdentity(u"Broken"));
    EXPECT_EQ(Prompt().Identities().selected, -1);
    EXPECT_FALSE(Prompt().CreditCards().enabled);
    Prompt().Press(PromptButton::Yes);
    EXPECT_EQ(Value(u"fn"), u"");
    EXPECT_EQ(m_settings.GetIdentityCreditCard(u"Home"), u"");
}

TEST_F(IdentityLogicTest, NoDismissesForThePageUntilReset) {
    WriteIdentity(u"work", u"Ann");
    LoadPage(kSignUpPage);
    m_logic.Decide(false);
    ASSERT_TRUE(Prompt().IsVisible());
    EXPECT_EQ(Prompt().Identities().selected, -1);  // no current Identity
    Prompt().Press(PromptButton::No);
    EXPECT_FALSE(Prompt().IsVisible());
    m_logic.Decide(false);
    EXPECT_FALSE(Prompt().IsVisible());
    m_logic.ResetDismissed();
    m_logic.Decide(false);
    EXPECT_TRUE(Prompt().IsVisible());
}

TEST_F(IdentityLogicTest, AutoFillModeFillsWithTheCurrentIdentity) {
    SetPreferences(config::pref::kAutoFillForms, config::pref::kPromptFillForms);
    WriteIdentity(u"work", u"Ann");
    m_settings.SetCurrentIdentity(u"work");
    LoadPage(kSignUpPage);
    m_logic.Decide(false);
    EXPECT_EQ(Value(u"fn"), u"Ann");
    EXPECT_FALSE(Prompt().IsVisible());
}

TEST_F(IdentityLogicTest, ManualModeFillsOnCommandWithTheOnlyIdentity) {
    SetPreferences(config::pref::kManualFillForms, config::pref::kPromptFillForms);
    WriteIdentity(u"solo", u"Cy");
    LoadPage(kSignUpPage);
    m_logic.Decide(false);
    EXPECT_EQ(Value(u"fn"), u"");
    m_logic.Decide(true);
    EXPECT_EQ(Value(u"fn"), u"Cy");
    EXPECT_FALSE(Prompt().IsVisible());

    WriteIdentity(u"other", u"Di");
    m_logic.Decide(true);
    EXPECT_TRUE(Prompt().IsVisible());
}

TEST_F(IdentityLogicTest, LoginFormsAndPagesWithoutIdentitiesGetNoPrompt) {
    LoadPage(kSignUpPage);
    m_logic.Decide(false);  // no Identity file at all
    EXPECT_FALSE(Prompt().IsVisible());
    WriteIdentity(u"work", u"Ann");
    LoadPage("<form><input name=user><input type=password name=pass></form>");
    m_logic.Decide(false);
    EXPECT_FALSE(Prompt().IsVisible());
}

TEST_F(IdentityLogicTest, ACurrentIdentityThatCannotBeReadShowsNoPrompt) {
    WriteIdentity(u"work", u"Ann");
    m_settings.SetCurrentIdentity(u"work");
    LoadPage(kSignUpPage);
    test::FakePasswordSource refusing(std::nullopt);
    m_logic.Decide(false);
    EXPECT_FALSE(Prompt().IsVisible());
}

}  // namespace
}  // namespace veltrix
