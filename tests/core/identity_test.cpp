#include "core/identity.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text.h"
#include "tests/support/record_file_test.h"

namespace veltrix {
namespace {

// Lets a test store an Identity into its text without writing a file.
class CTestIdentity : public CIdentity {
public:
    std::u16string StoredText() {
        CArchive ar;
        Serialize(ar);
        return GetText();
    }
};

CCreditCard Card(std::u16string_view id, std::u16string_view number = {}) {
    CCreditCard card;
    card.SetField(u"ccid", id);
    card.SetField(u"cc#", number);
    return card;
}

CBankAccount Account(std::u16string_view id, std::u16string_view number = {}) {
    CBankAccount account;
    account.SetField(u"baid", id);
    account.SetField(u"baacct#", number);
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
    EXPECT_TRUE(CIdentity::IsFieldKey(u"hzip1"));
    EXPECT_FALSE(CIdentity::IsFieldKey(u"fullname"));
    EXPECT_FALSE(CIdentity::IsFieldKey(u"ccid"));
    EXPECT_TRUE(identity.SetField(u"hzip1", u"12345"));
    EXPECT_EQ(identity.GetField(u"hzip1"), u"12345");
    EXPECT_FALSE(identity.SetField(u"HZIP1", u"x"));
    EXPECT_FALSE(identity.SetField(u"nokey", u"x"));
    EXPECT_EQ(identity.GetField(u"nokey"), u"");

    CCreditCard card;
    EXPECT_TRUE(card.SetField(u"ccexpm", u"07"));
    EXPECT_FALSE(card.SetField(u"fname", u"Ann"));
    EXPECT_EQ(card.GetField(u"ccexpm"), u"07");
    EXPECT_FALSE(card.IsEmpty());
    card.Clear();
    EXPECT_TRUE(card.IsEmpty());
}

// ---- Storing -------------------------------------------------------------------------------

TEST(IdentityStoring, SingleFieldIsOneElementWithoutCrLf) {
    CTestIdentity identity;
    identity.SetField(u"fname", u"Ann");
    EXPECT_EQ(identity.StoredText(), u"<fname>Ann</fname>");
}

TEST(IdentityStoring, FieldsFollowTableOrderNotSettingOrder) {
    CTestIdentity identity;
    identity.SetField(u"lname", u"Lee");
    identity.SetField(u"title", u"Dr");
    EXPECT_EQ(identity.StoredText(), u"<title>Dr</title>\r\n<lname>Lee</lname>");
}

TEST(IdentityStoring, EveryFieldInTableOrder) {
    CTestIdentity identity;
    for (std::u16string_view key : kIdentityKeys) {
        identity.SetField(key, u"v-" + std::u16string(key));
    }
    const std::u16string text = identity.StoredText();
    std::size_t previous = 0;
    for (std::u16string_view key : kIdentityKeys) {
        SCOPED_TRACE(text::ToUtf8(key));
        const std::size_t at = text.find(u"<" + std::u16string(key) + u">");
        ASSERT_NE(at, std::u16string::npos);
        EXPECT_GE(at, previous);
        previous = at;
    }
}

TEST(IdentityStoring, CardIsASubRecordElement) {
    CTestIdentity identity;
    identity.AddCreditCard(Card(u"Work", u"4111"));
    EXPECT_EQ(identity.StoredText(), u"<cc1><ccid>Work</ccid>\r\n<cc#>4111</cc#></cc1>");
}

TEST(IdentityStoring, CardsThenAccountsNumberedFromTheListFront) {
    CTestIdentity identity;
    identity.SetField(u"fname", u"Ann");
    identity.AddCreditCard(Card(u"Old"));
    identity.AddCreditCard(Card(u"New"));
    identity.AddBankAccount(Account(u"Savings", u"42"));
    EXPECT_EQ(identity.StoredText(),
              u"<fname>Ann</fname>\r\n"
              u"<cc1><ccid>New</ccid></cc1>\r\n"
              u"<cc2><ccid>Old</ccid></cc2>\r\n"
              u"<ba1><baid>Savings</baid>\r\n<baacct#>42</baacct#></ba1>");
}

// A card with every field empty writes nothing but takes its number; on reading, the gap ends
// the list.
TEST(IdentityStoring, EmptyCardConsumesItsNumber) {
    CTestIdentity identity;
    identity.AddCreditCard(Card(u"Last"));
    identity.AddCreditCard(CCreditCard{});
    identity.AddCreditCard(Card(u"First"));
    const std::u16string text = identity.StoredText();
    EXPECT_EQ(text, u"<cc1><ccid>First</ccid></cc1>\r\n<cc3><ccid>Last</ccid></cc3>");

    CTestIdentity reread;
    reread.ParseText(text);
    EXPECT_EQ(CardIds(reread), std::vector<std::u16string>{u"First"});
}

TEST(IdentityStoring, StoringTwiceGivesTheSameText) {
    CTestIdentity identity;
    identity.SetField(u"pnotes", u"a\r\nb");
    identity.AddCreditCard(Card(u"Work"));
    const std::u16string first = identity.StoredText();
    EXPECT_EQ(identity.StoredText(), first);
}

// ---- Loading -------------------------------------------------------------------------------

TEST(IdentityLoading, FieldsAndSubRecordsFromText) {
    CTestIdentity identity;
    identity.ParseText(
        u"<fname>Ann</fname>\r\n<hstr>12 Elm St\r\nApt 4</hstr>\r\n"
        u"<cc1><ccid>Work</ccid>\r\n<cctype>Visa</cctype></cc1>\r\n"
        u"<ba1><baid>Checking</baid>\r\n<batype>Checking</batype></ba1>");
    EXPECT_EQ(identity.GetField(u"fname"), u"Ann");
    EXPECT_EQ(identity.GetField(u"hstr"), u"12 Elm St\r\nApt 4");
    EXPECT_EQ(identity.GetField(u"lname"), u"");
    ASSERT_EQ(identity.CreditCardCount(), 1u);
    EXPECT_EQ(identity.CreditCards().front().GetField(u"cctype"), u"Visa");
    ASSERT_EQ(identity.BankAccountCount(), 1u);
    EXPECT_EQ(identity.BankAccounts().front().GetField(u"batype"), u"Checking");
}

TEST(IdentityLoading, LoadThenStoreReversesTheSubRecords) {
    CTestIdentity identity;
    identity.ParseText(
        u"<cc1><ccid>A</ccid></cc1>\r\n<cc2><ccid>B</ccid></cc2>\r\n<cc3><ccid>C</ccid></cc3>\r\n"
        u"<ba1><baid>X</baid></ba1>\r\n<ba2><baid>Y</baid></ba2>");
    EXPECT_EQ(CardIds(identity), (std::vector<std::u16string>{u"C", u"B", u"A"}));
    EXPECT_EQ(
        identity.StoredText(),
        u"<cc1><ccid>C</ccid></cc1>\r\n<cc2><ccid>B</ccid></cc2>\r\n<cc3><ccid>A</ccid></cc3>\r\n"
        u"<ba1><baid>Y</baid></ba1>\r\n<ba2><baid>X</baid></ba2>");
}

TEST(IdentityLoading, NumberingGapEndsTheList) {
    CTestIdentity identity;
    identity.ParseText(
        u"<cc1><ccid>A</ccid></cc1>\r\n<cc3><ccid>C</ccid></cc3>\r\n<ba2><baid>Y</baid></ba2>");
    EXPECT_EQ(CardIds(identity), std::vector<std::u16string>{u"A"});
    EXPECT_EQ(identity.BankAccountCount(), 0u);
}

TEST(IdentityLoading, ClosingTagInsideAValueCutsItOnReading) {
    CTestIdentity identity;
    identity.SetField(u"pnotes", u"before</pnotes>after");
    CTestIdentity reread;
    reread.ParseText(identity.StoredText());
    EXPECT_EQ(reread.GetField(u"pnotes"), u"before");
}

TEST(IdentityLoading, TenthCardIsNotTakenForTheFirst) {
    CTestIdentity identity;
    identity.ParseText(u"<cc10><ccid>Ten</ccid></cc10>");
    EXPECT_EQ(identity.CreditCardCount(), 0u);
}

// ---- Full name -----------------------------------------------------------------------------

TEST(IdentityFullName, FirstMiddleInitialLast) {
    CIdentity identity;
    identity.SetField(u"fname", u"Ann");
    identity.SetField(u"mname", u"beth");
    identity.SetField(u"lname", u"Lee");
    EXPECT_EQ(identity.GetTag(kFullNameKey), u"Ann b. Lee");

    identity.SetField(u"mname", u"");
    EXPECT_EQ(identity.GetTag(kFullNameKey), u"Ann Lee");
    identity.SetField(u"fname", u"");
    EXPECT_EQ(identity.GetTag(kFullNameKey), u" Lee");
    identity.SetField(u"mname", u"\U0001D400x");
    EXPECT_EQ(identity.GetFullName(), u" \U0001D400. Lee");
}

TEST(IdentityFullName, ExplicitSourceUsesTheElementGrammar) {
    CIdentity identity;
    identity.SetField(u"fname", u"Ann");
    const std::u16string source = u"<fullname>Given</fullname>";
    EXPECT_EQ(identity.GetTag(kFullNameKey, &source), u"Given");
    const std::u16string none = u"<fname>Bob</fname>";
    EXPECT_EQ(identity.GetTag(kFullNameKey, &none), u"");
    EXPECT_EQ(identity.GetTag(u"fname", &none), u"Bob");
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
    EXPECT_EQ(identity.FindCreditCard(u"Work")->GetField(u"cc#"), u"2");
    EXPECT_EQ(identity.FindCreditCard(u"work"), nullptr);
    EXPECT_EQ(identity.FindCreditCard(u"Wor"), nullptr);
    const CIdentity& constant = identity;
    ASSERT_NE(constant.FindBankAccount(u"Main"), nullptr);
    EXPECT_EQ(constant.FindBankAccount(u"Main")->GetField(u"baacct#"), u"9");
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

TEST_F(IdentityFileTest, WriteAndReadBackThroughTheConstructor) {
    CIdentity identity;
    identity.SetField(u"fname", u"J\u00fcrgen");
    identity.SetField(u"wstr", u"1 Main St\r\nSuite 5");
    identity.AddCreditCard(Card(u"Work", u"4111"));
    identity.AddCreditCard(Card(u"Home", u"5500"));
    identity.AddBankAccount(Account(u"Main", u"123"));
    ASSERT_TRUE(identity.Write(Path("J\u00fcrgen.vxi")));

    CIdentity read(Path("J\u00fcrgen.vxi"));
    ASSERT_EQ(read.GetReadStatus(), FileStatus::Success);
    EXPECT_EQ(read.GetName(), u"J\u00fcrgen");
    EXPECT_EQ(read.GetField(u"fname"), u"J\u00fcrgen");
    EXPECT_EQ(read.GetField(u"wstr"), u"1 Main St\r\nSuite 5");
    EXPECT_EQ(CardIds(read), (std::vector<std::u16string>{u"Work", u"Home"}));
    ASSERT_NE(read.FindCreditCard(u"Home"), nullptr);
    EXPECT_EQ(read.FindCreditCard(u"Home")->GetField(u"cc#"), u"5500");
    ASSERT_NE(read.FindBankAccount(u"Main"), nullptr);
    EXPECT_EQ(read.GetTag(u"fname"), u"J\u00fcrgen");
}

TEST_F(IdentityFileTest, ReadingAgainDoesNotDoubleTheLists) {
    CIdentity identity;
    identity.AddCreditCard(Card(u"Work"));
    ASSERT_TRUE(identity.Write(Path("a.vxi")));
    CIdentity read(Path("a.vxi"));
    ASSERT_TRUE(read.Read(Path("a.vxi")));
    EXPECT_EQ(read.CreditCardCount(), 1u);
}

TEST_F(IdentityFileTest, FailedConstructionLeavesTheRecordEmpty) {
    CIdentity identity(Path("missing.vxi"));
    EXPECT_EQ(identity.GetReadStatus(), FileStatus::CannotOpen);
    EXPECT_EQ(identity.CreditCardCount(), 0u);
    EXPECT_EQ(identity.GetField(u"fname"), u"");
}

}  // namespace
}  // namespace veltrix
