#include "core/identity.h"

#include "core/record_io.h"
#include "core/record_text.h"
#include "core/tagged_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text.h"
#include "tests/support/record_file_test.h"

namespace veltrix {
namespace {

CCreditCard Card(std::u16string_view id, std::u16string_view number = {}) {
    CCreditCard card;
    card.Set(CardKey::Id, id);
    card.Set(CardKey::Number, number);
    return card;
}

CBankAccount Account(std::u16string_view id, std::u16string_view number = {}) {
    CBankAccount account;
    account.Set(AccountKey::Id, id);
    account.Set(AccountKey::AccountNumber, number);
    return account;
}

std::vector<std::u16string> CardIds(const CIdentity& identity) {
    std::vector<std::u16string> ids;
    for (const CCreditCard& card : identity.CreditCards()) {
        ids.push_back(card.GetId());
    }
    return ids;
}

// ---- Fields by key ------------------------------------------------------------------------

TEST(IdentityFields, AccessByKey) {
    CIdentity identity;
    identity.Set(IdentityKey::HomeZip, u"12345");
    EXPECT_EQ(identity.Get(IdentityKey::HomeZip), u"12345");
    EXPECT_EQ(identity.Get(IdentityKey::WorkZip), u"");

    CCreditCard card;
    card.Set(CardKey::ExpiryMonth, u"07");
    EXPECT_EQ(card.Get(CardKey::ExpiryMonth), u"07");
    EXPECT_FALSE(card.IsEmpty());
    card.Clear();
    EXPECT_TRUE(card.IsEmpty());
}

// Names from outside (stored texts, the form engine's pattern table) reach the typed keys only
// through these lookups: exact and case-sensitive.
TEST(IdentityFields, StoredNamesMapToTypedKeysAndBack) {
    for (std::size_t i = 0; i < kIdentityKeyNames.size(); ++i) {
        const auto key = static_cast<IdentityKey>(i);
        EXPECT_EQ(IdentityKeyFromName(KeyName(key)), key);
    }
    for (std::size_t i = 0; i < kCardKeyNames.size(); ++i) {
        EXPECT_EQ(CardKeyFromName(KeyName(static_cast<CardKey>(i))), static_cast<CardKey>(i));
    }
    for (std::size_t i = 0; i < kAccountKeyNames.size(); ++i) {
        EXPECT_EQ(AccountKeyFromName(KeyName(static_cast<AccountKey>(i))),
                  static_cast<AccountKey>(i));
    }
    EXPECT_EQ(IdentityKeyFromName(u"hzip1"), IdentityKey::HomeZip);
    EXPECT_EQ(KeyName(CardKey::Number), u"cc#");
    EXPECT_EQ(KeyName(AccountKey::RoutingNumber), u"barout#");
    EXPECT_EQ(IdentityKeyFromName(u"HZIP1"), std::nullopt);
    EXPECT_EQ(IdentityKeyFromName(u"fullname"), std::nullopt);
    EXPECT_EQ(IdentityKeyFromName(u"ccid"), std::nullopt);
    EXPECT_EQ(CardKeyFromName(u"fname"), std::nullopt);

    EXPECT_EQ(LookupIdentityValueKey(u"wtitle"), IdentityValueKey(IdentityKey::JobTitle));
    EXPECT_EQ(LookupIdentityValueKey(u"ccexpm"), IdentityValueKey(CardKey::ExpiryMonth));
    EXPECT_EQ(LookupIdentityValueKey(u"batype"), IdentityValueKey(AccountKey::Type));
    EXPECT_EQ(LookupIdentityValueKey(u"fullname"), IdentityValueKey(FullNameKey{}));
    EXPECT_EQ(LookupIdentityValueKey(u"ccfoo"), std::nullopt);
    EXPECT_EQ(LookupIdentityValueKey(u"name"), std::nullopt);
}

// ---- Storing -------------------------------------------------------------------------------

TEST(IdentityStoring, SingleFieldIsOneElementWithoutCrLf) {
    CIdentity identity;
    identity.Set(IdentityKey::FirstName, u"Ann");
    EXPECT_EQ(IdentityToText(identity), u"<fname>Ann</fname>");
}

TEST(IdentityStoring, FieldsFollowTableOrderNotSettingOrder) {
    CIdentity identity;
    identity.Set(IdentityKey::LastName, u"Lee");
    identity.Set(IdentityKey::Title, u"Dr");
    EXPECT_EQ(IdentityToText(identity), u"<title>Dr</title>\r\n<lname>Lee</lname>");
}

TEST(IdentityStoring, EveryFieldInTableOrder) {
    CIdentity identity;
    for (std::size_t i = 0; i < kIdentityKeyNames.size(); ++i) {
        identity.Set(static_cast<IdentityKey>(i), u"v-" + std::u16string(kIdentityKeyNames[i]));
    }
    const std::u16string text = IdentityToText(identity);
    EXPECT_EQ(IdentityFromText(text), identity);
    std::size_t previous = 0;
    for (std::u16string_view key : kIdentityKeyNames) {
        SCOPED_TRACE(text::ToUtf8(key));
        const std::size_t at = text.find(u"<" + std::u16string(key) + u">");
        ASSERT_NE(at, std::u16string::npos);
        EXPECT_GE(at, previous);
        previous = at;
    }
}

TEST(IdentityStoring, CardIsASubRecordElement) {
    CIdentity identity;
    identity.AddCreditCard(Card(u"Work", u"4111"));
    EXPECT_EQ(IdentityToText(identity), u"<cc1><ccid>Work</ccid>\r\n<cc#>4111</cc#></cc1>");
}

TEST(IdentityStoring, CardsThenAccountsNumberedFromTheListFront) {
    CIdentity identity;
    identity.Set(IdentityKey::FirstName, u"Ann");
    identity.AddCreditCard(Card(u"Old"));
    identity.AddCreditCard(Card(u"New"));
    identity.AddBankAccount(Account(u"Savings", u"42"));
    EXPECT_EQ(IdentityToText(identity),
              u"<fname>Ann</fname>\r\n"
              u"<cc1><ccid>New</ccid></cc1>\r\n"
              u"<cc2><ccid>Old</ccid></cc2>\r\n"
              u"<ba1><baid>Savings</baid>\r\n<baacct#>42</baacct#></ba1>");
}

// A card with every field empty writes nothing but takes its number; on reading, the gap ends
// the list.
TEST(IdentityStoring, EmptyCardConsumesItsNumber) {
    CIdentity identity;
    identity.AddCreditCard(Card(u"Last"));
    identity.AddCreditCard(CCreditCard{});
    identity.AddCreditCard(Card(u"First"));
    const std::u16string text = IdentityToText(identity);
    EXPECT_EQ(text, u"<cc1><ccid>First</ccid></cc1>\r\n<cc3><ccid>Last</ccid></cc3>");

    EXPECT_EQ(CardIds(IdentityFromText(text)), std::vector<std::u16string>{u"First"});
}

TEST(IdentityStoring, StoringTwiceGivesTheSameText) {
    CIdentity identity;
    identity.Set(IdentityKey::PersonalNotes, u"a\r\nb");
    identity.AddCreditCard(Card(u"Work"));
    const std::u16string first = IdentityToText(identity);
    EXPECT_EQ(IdentityToText(identity), first);
}

// ---- Loading -------------------------------------------------------------------------------

TEST(IdentityLoading, FieldsAndSubRecordsFromText) {
    const CIdentity identity = IdentityFromText(
        u"<fname>Ann</fname>\r\n<hstr>12 Elm St\r\nApt 4</hstr>\r\n"
        u"<cc1><ccid>Work</ccid>\r\n<cctype>Visa</cctype></cc1>\r\n"
        u"<ba1><baid>Checking</baid>\r\n<batype>Checking</batype></ba1>");
    EXPECT_EQ(identity.Get(IdentityKey::FirstName), u"Ann");
    EXPECT_EQ(identity.Get(IdentityKey::HomeStreet), u"12 Elm St\r\nApt 4");
    EXPECT_EQ(identity.Get(IdentityKey::LastName), u"");
    ASSERT_EQ(identity.CreditCardCount(), 1u);
    EXPECT_EQ(identity.CreditCards().front().Get(CardKey::Type), u"Visa");
    ASSERT_EQ(identity.BankAccountCount(), 1u);
    EXPECT_EQ(identity.BankAccounts().front().Get(AccountKey::Type), u"Checking");
}

TEST(IdentityLoading, LoadThenStoreReversesTheSubRecords) {
    const CIdentity identity = IdentityFromText(
        u"<cc1><ccid>A</ccid></cc1>\r\n<cc2><ccid>B</ccid></cc2>\r\n<cc3><ccid>C</ccid></cc3>\r\n"
        u"<ba1><baid>X</baid></ba1>\r\n<ba2><baid>Y</baid></ba2>");
    EXPECT_EQ(CardIds(identity), (std::vector<std::u16string>{u"C", u"B", u"A"}));
    EXPECT_EQ(
        IdentityToText(identity),
        u"<cc1><ccid>C</ccid></cc1>\r\n<cc2><ccid>B</ccid></cc2>\r\n<cc3><ccid>A</ccid></cc3>\r\n"
        u"<ba1><baid>Y</baid></ba1>\r\n<ba2><baid>X</baid></ba2>");
}

TEST(IdentityLoading, NumberingGapEndsTheList) {
    const CIdentity identity = IdentityFromText(
        u"<cc1><ccid>A</ccid></cc1>\r\n<cc3><ccid>C</ccid></cc3>\r\n<ba2><baid>Y</baid></ba2>");
    EXPECT_EQ(CardIds(identity), std::vector<std::u16string>{u"A"});
    EXPECT_EQ(identity.BankAccountCount(), 0u);
}

TEST(IdentityLoading, ClosingTagInsideAValueCutsItOnReading) {
    CIdentity identity;
    identity.Set(IdentityKey::PersonalNotes, u"before</pnotes>after");
    EXPECT_EQ(IdentityFromText(IdentityToText(identity)).Get(IdentityKey::PersonalNotes),
              u"before");
}

TEST(IdentityLoading, TenthCardIsNotTakenForTheFirst) {
    const CIdentity identity = IdentityFromText(u"<cc10><ccid>Ten</ccid></cc10>");
    EXPECT_EQ(identity.CreditCardCount(), 0u);
}

// ---- Full name -----------------------------------------------------------------------------

TEST(IdentityFullName, FirstMiddleInitialLast) {
    CIdentity identity;
    identity.Set(IdentityKey::FirstName, u"Ann");
    identity.Set(IdentityKey::MiddleName, u"beth");
    identity.Set(IdentityKey::LastName, u"Lee");
    EXPECT_EQ(identity.GetFullName(), u"Ann b. Lee");

    identity.Set(IdentityKey::MiddleName, u"");
    EXPECT_EQ(identity.GetFullName(), u"Ann Lee");
    identity.Set(IdentityKey::FirstName, u"");
    EXPECT_EQ(identity.GetFullName(), u" Lee");
    identity.Set(IdentityKey::MiddleName, u"\U0001D400x");
    EXPECT_EQ(identity.GetFullName(), u" \U0001D400. Lee");
}

// The full name is computed, never stored: a text's "fullname" element is ignored on loading.
TEST(IdentityFullName, IsNeitherStoredNorLoaded) {
    CIdentity identity;
    identity.Set(IdentityKey::FirstName, u"Ann");
    EXPECT_EQ(IdentityToText(identity), u"<fname>Ann</fname>");
    const CIdentity loaded = IdentityFromText(u"<fullname>Given</fullname>\r\n<fname>Bob</fname>");
    EXPECT_EQ(loaded.GetFullName(), u"Bob ");
    EXPECT_EQ(FindTag(u"<fullname>Given</fullname>", kFullNameKey), u"Given");
}

// ---- Lists ---------------------------------------------------------------------------------

TEST(IdentityLists, AddInsertsAtTheFront) {
    CIdentity identity;
    identity.AddCreditCard(Card(u"A"));
    CCreditCard& added = identity.AddCreditCard(Card(u"B"));
    EXPECT_EQ(&added, &identity.CreditCards().front());
    EXPECT_EQ(CardIds(identity), (std::vector<std::u16string>{u"B", u"A"}));
    EXPECT_EQ(identity.CreditCardCount(), 2u);
}

TEST(IdentityLists, FindIsExactAndTakesTheFirstInListOrder) {
    CIdentity identity;
    identity.AddCreditCard(Card(u"Work", u"1"));
    identity.AddCreditCard(Card(u"Work", u"2"));
    identity.AddBankAccount(Account(u"Main", u"9"));

    ASSERT_NE(identity.FindCreditCard(u"Work"), nullptr);
    EXPECT_EQ(identity.FindCreditCard(u"Work")->Get(CardKey::Number), u"2");
    EXPECT_EQ(identity.FindCreditCard(u"work"), nullptr);
    EXPECT_EQ(identity.FindCreditCard(u"Wor"), nullptr);
    const CIdentity& constant = identity;
    ASSERT_NE(constant.FindBankAccount(u"Main"), nullptr);
    EXPECT_EQ(constant.FindBankAccount(u"Main")->Get(AccountKey::AccountNumber), u"9");
    EXPECT_EQ(constant.FindBankAccount(u"Other"), nullptr);
}

TEST(IdentityLists, RemoveOnlyWhatIsInTheList) {
    CIdentity identity;
    identity.AddCreditCard(Card(u"A"));
    identity.AddCreditCard(Card(u"B"));
    CIdentity other;
    CCreditCard& stranger = other.AddCreditCard(Card(u"A"));

    EXPECT_FALSE(identity.RemoveCreditCard(&stranger));
    EXPECT_FALSE(identity.RemoveCreditCard(nullptr));
    EXPECT_EQ(identity.CreditCardCount(), 2u);
    EXPECT_TRUE(identity.RemoveCreditCard(identity.FindCreditCard(u"A")));
    EXPECT_EQ(CardIds(identity), std::vector<std::u16string>{u"B"});

    CBankAccount& account = identity.AddBankAccount(Account(u"X"));
    EXPECT_TRUE(identity.RemoveBankAccount(&account));
    EXPECT_FALSE(identity.RemoveBankAccount(&account));
    EXPECT_EQ(identity.BankAccountCount(), 0u);
}

TEST(IdentityLists, ClearEmptiesBoth) {
    CIdentity identity;
    identity.AddCreditCard(Card(u"A"));
    identity.AddBankAccount(Account(u"X"));
    identity.ClearLists();
    EXPECT_EQ(identity.CreditCardCount(), 0u);
    EXPECT_EQ(identity.BankAccountCount(), 0u);
}

// ---- Record files --------------------------------------------------------------------------

class IdentityFileTest : public test::RecordFileTest {};

TEST_F(IdentityFileTest, WriteAndReadBack) {
    CIdentity identity;
    identity.Set(IdentityKey::FirstName, u"J\u00fcrgen");
    identity.Set(IdentityKey::WorkStreet, u"1 Main St\r\nSuite 5");
    identity.AddCreditCard(Card(u"Work", u"4111"));
    identity.AddCreditCard(Card(u"Home", u"5500"));
    identity.AddBankAccount(Account(u"Main", u"123"));
    ASSERT_TRUE(WriteIdentity(Path("J\u00fcrgen.vxi"), identity).HasValue());

    const auto read = ReadIdentity(Path("J\u00fcrgen.vxi"));
    ASSERT_TRUE(read.HasValue());
    EXPECT_EQ(read->GetFields(), identity.GetFields());
    EXPECT_EQ(read->Get(IdentityKey::WorkStreet), u"1 Main St\r\nSuite 5");
    EXPECT_EQ(CardIds(*read), (std::vector<std::u16string>{u"Work", u"Home"}));
    ASSERT_NE(read->FindCreditCard(u"Home"), nullptr);
    EXPECT_EQ(read->FindCreditCard(u"Home")->Get(CardKey::Number), u"5500");
    ASSERT_NE(read->FindBankAccount(u"Main"), nullptr);
    EXPECT_EQ(ReadRecordText(Path("J\u00fcrgen.vxi")).Value(), IdentityToText(identity));
}

TEST_F(IdentityFileTest, AFailedReadGivesItsStatus) {
    const auto missing = ReadIdentity(Path("missing.vxi"));
    ASSERT_FALSE(missing.HasValue());
    EXPECT_EQ(missing.Error(), FileStatus::CannotOpen);

    ASSERT_TRUE(
        WriteIdentity(Path("other.vxi"), CIdentity{}, RecordPassword::Given(u"Other")).HasValue());
    const auto wrong = ReadIdentity(Path("other.vxi"));
    ASSERT_FALSE(wrong.HasValue());
    EXPECT_EQ(wrong.Error(), FileStatus::WrongPassword);
}

}  // namespace
}  // namespace veltrix
