// The headless rules of the Identity sheet's pages: summary texts, list entries, loading and
// storing, and the leave checks.
#include <gtest/gtest.h>

#include "editor/identity/choice_lists.h"
#include "editor/identity/identity_summary.h"
#include "editor/identity/leave_checks.h"
#include "editor/identity/line_breaks.h"
#include "editor/identity/page_entries.h"

namespace veltrix::editor::identity {
namespace {

using K = IdentityKey;

TEST(IdentitySummaryTest, LinesHoldFullNameMailAndPhones) {
    CIdentity identity;
    identity.Set(K::FirstName, u"Ann");
    identity.Set(K::MiddleName, u"beth");
    identity.Set(K::LastName, u"Lee");
    identity.Set(K::Email, u"ann@example.org");
    identity.Set(K::HomePhone1, u"030");
    identity.Set(K::HomePhone2, u"1234");
    identity.Set(K::HomeFax2, u"999");
    identity.Set(K::Cell1, u"0170");
    identity.Set(K::WorkPhone1, u"040");
    identity.Set(K::WorkPhone2, u"55");
    identity.Set(K::WorkMobile2, u"77");

    const IdentitySummary summary = BuildSummary(identity);
    EXPECT_EQ(summary[0], (SummaryLine{u"Name:", u"Ann b. Lee"}));
    EXPECT_EQ(summary[1], (SummaryLine{u"E-Mail Address:", u"ann@example.org"}));
    EXPECT_EQ(summary[2], (SummaryLine{u"Home Phone:", u"030-1234"}));
    EXPECT_EQ(summary[3], (SummaryLine{u"Home Fax:", u"999"}));
    EXPECT_EQ(summary[4], (SummaryLine{u"Mobile Phone:", u"0170"}));
    EXPECT_EQ(summary[5], (SummaryLine{u"Work Phone:", u"040-55"}));
    EXPECT_EQ(summary[6], (SummaryLine{u"Work Mobile:", u"77"}));
}

TEST(IdentitySummaryTest, PhoneTextJoinsOnlyWhenBothPartsArePresent) {
    EXPECT_EQ(PhoneText(u"", u""), u"");
    EXPECT_EQ(PhoneText(u"030", u""), u"030");
    EXPECT_EQ(PhoneText(u"", u"1234"), u"1234");
    EXPECT_EQ(PhoneText(u"030", u"1234"), u"030-1234");
}

TEST(LineBreaksTest, RecordsKeepCrLfAndTheEditorLf) {
    EXPECT_EQ(ToEditorLines(u"a\r\nb\rc\nd"), u"a\nb\nc\nd");
    EXPECT_EQ(ToEditorLines(u"\r\n\r\n"), u"\n\n");
    EXPECT_EQ(ToStoredLines(u"a\nb\n"), u"a\r\nb\r\n");
    EXPECT_EQ(ToStoredLines(u"a\r\nb"), u"a\r\nb");
    EXPECT_EQ(ToStoredLines(ToEditorLines(u"x\r\ny\r\n")), u"x\r\ny\r\n");
    EXPECT_EQ(ToStoredLines(u""), u"");
}

TEST(ChoiceListsTest, CardYearsRunFrom2000ToTwentyYearsAhead) {
    const Choices years = CardYearChoices(2026);
    ASSERT_EQ(years.size(), 1u + 47u);
    EXPECT_EQ(years.front(), u"");
    EXPECT_EQ(years[1], u"2000");
    EXPECT_EQ(years.back(), u"2046");
    EXPECT_GE(CurrentYear(), 2024);
}

TEST(ChoiceListsTest, MonthsAndDaysAreTwoDigitsAfterABlank) {
    const Choices months = MonthChoices();
    ASSERT_EQ(months.size(), 13u);
    EXPECT_EQ(months[0], u"");
    EXPECT_EQ(months[1], u"01");
    EXPECT_EQ(months[12], u"12");
    const Choices days = DayChoices();
    ASSERT_EQ(days.size(), 32u);
    EXPECT_EQ(days[9], u"09");
    EXPECT_EQ(days[31], u"31");
}

TEST(ChoiceListsTest, StoredValueOutsideTheListIsOfferedInItsPlace) {
    const Choices years = CardYearChoices(2026);
    const Choices early = WithStoredValue(years, u"1998");
    ASSERT_EQ(early.size(), years.size() + 1);
    EXPECT_EQ(early[1], u"1998");
    EXPECT_EQ(early[2], u"2000");

    const Choices late = WithStoredValue(years, u"2090");
    EXPECT_EQ(late.back(), u"2090");

    const Choices odd = WithStoredValue(CardTypeChoices(), u"Diners Club");
    EXPECT_EQ(odd.back(), u"Diners Club");
    const Choices oddMonth = WithStoredValue(WithStoredValue(MonthChoices(), u"soon"), u"13");
    EXPECT_EQ(oddMonth[13], u"13");
    EXPECT_EQ(oddMonth[14], u"soon");

    EXPECT_EQ(WithStoredValue(years, u"2010"), years);
    EXPECT_EQ(WithStoredValue(years, u""), years);
}

TEST(PageEntriesTest, PersonalPageShowsDatesOnlyWithTheirYear) {
    CIdentity identity;
    identity.Set(K::Sex, u"F");
    identity.Set(K::BirthMonth, u"03");
    identity.Set(K::BirthDay, u"14");
    identity.Set(K::LicenseExpiryYear, u"2030");
    identity.Set(K::LicenseExpiryMonth, u"07");
    const PersonalEntries entries = LoadPersonal(identity);
    EXPECT_EQ(EntryText(entries, K::Sex), u"Female");
    EXPECT_EQ(EntryText(entries, K::BirthMonth), u"");
    EXPECT_EQ(EntryText(entries, K::BirthDay), u"");
    EXPECT_EQ(EntryText(entries, K::LicenseExpiryYear), u"2030");
    EXPECT_EQ(EntryText(entries, K::LicenseExpiryMonth), u"07");

    identity.Set(K::Sex, u"x");
    EXPECT_EQ(EntryText(LoadPersonal(identity), K::Sex), u"");
}

TEST(PageEntriesTest, PersonalPageStoresSexAsItsFirstLetter) {
    CIdentity identity;
    PersonalEntries entries = LoadPersonal(identity);
    entries[K::Sex] = u"Male";
    entries[K::MaritalStatus] = u"Married";
    entries[K::BirthYear] = u"1970";
    StorePersonal(identity, entries);
    EXPECT_EQ(identity.Get(K::Sex), u"M");
    EXPECT_EQ(identity.Get(K::MaritalStatus), u"Married");
    EXPECT_EQ(identity.Get(K::BirthYear), u"1970");
    entries[K::Sex] = u"";
    StorePersonal(identity, entries);
    EXPECT_EQ(identity.Get(K::Sex), u"");
}

TEST(PageEntriesTest, CardDatesAreStoredWholeOrNotAtAll) {
    CCreditCard card;
    card.Set(CardKey::Id, u"Work");
    CardEntries entries = LoadCard(card);
    entries[CardKey::Number] = u"4111";
    entries[CardKey::ExpiryMonth] = u"05";
    entries[CardKey::ValidFromMonth] = u"01";
    entries[CardKey::ValidFromYear] = u"2024";
    StoreCard(card, entries);
    EXPECT_EQ(card.Get(CardKey::Id), u"Work");
    EXPECT_EQ(card.Get(CardKey::Number), u"4111");
    EXPECT_EQ(card.Get(CardKey::ExpiryMonth), u"");
    EXPECT_EQ(card.Get(CardKey::ExpiryYear), u"");
    EXPECT_EQ(card.Get(CardKey::ValidFromMonth), u"01");
    EXPECT_EQ(card.Get(CardKey::ValidFromYear), u"2024");
}

TEST(PageEntriesTest, ACardShownAndStoredAgainKeepsEveryField) {
    CCreditCard card;
    card.Set(CardKey::Id, u"Old");
    card.Set(CardKey::Type, u"Diners Club");
    card.Set(CardKey::ExpiryYear, u"1995");
    card.Set(CardKey::ExpiryMonth, u"13");
    card.Set(CardKey::Notes, u"line one\r\nline two");
    const CCreditCard before = card;
    StoreCard(card, LoadCard(card));
    EXPECT_EQ(card, before);

    CBankAccount account;
    account.Set(AccountKey::Id, u"Savings");
    account.Set(AccountKey::RoutingNumber, u"12345678");
    account.Set(AccountKey::Type, u"Brokerage");
    const CBankAccount accountBefore = account;
    StoreAccount(account, LoadAccount(account));
    EXPECT_EQ(account, accountBefore);
}

PersonalEntries BirthDate(std::u16string_view year, std::u16string_view month,
                          std::u16string_view day) {
    PersonalEntries entries;
    entries[K::BirthYear] = year;
    entries[K::BirthMonth] = month;
    entries[K::BirthDay] = day;
    return entries;
}

TEST(LeaveChecksTest, NamePageNeedsFirstThenLastName) {
    EXPECT_EQ(CheckNamePage(u"", u""),
              (LeaveFailure<K>{u"Please enter a first name", K::FirstName}));
    EXPECT_EQ(CheckNamePage(u"Ann", u""),
              (LeaveFailure<K>{u"Please enter a last name", K::LastName}));
    EXPECT_EQ(CheckNamePage(u"Ann", u"Lee"), std::nullopt);
}

TEST(LeaveChecksTest, BirthDatesFollowTheCalendarWithEveryFourthYearALeapYear) {
    EXPECT_EQ(CheckPersonalPage(BirthDate(u"1900", u"02", u"29")), std::nullopt);
    EXPECT_EQ(CheckPersonalPage(BirthDate(u"1901", u"02", u"29")),
              (LeaveFailure<K>{u"Invalid birthday day", K::BirthDay}));
    EXPECT_EQ(CheckPersonalPage(BirthDate(u"1980", u"04", u"31")),
              (LeaveFailure<K>{u"Invalid birthday day", K::BirthDay}));
    EXPECT_EQ(CheckPersonalPage(BirthDate(u"1980", u"12", u"31")), std::nullopt);
    EXPECT_EQ(CheckPersonalPage(BirthDate(u"1980", u"", u"")),
              (LeaveFailure<K>{u"Invalid birthday month", K::BirthMonth}));
    EXPECT_EQ(CheckPersonalPage(BirthDate(u"", u"05", u"01")),
              (LeaveFailure<K>{u"Invalid birthday year", K::BirthYear}));
    EXPECT_EQ(CheckPersonalPage(BirthDate(u"", u"", u"")), std::nullopt);
}

TEST(LeaveChecksTest, YearsLieBetween1800And2099AndReadAsNumbers) {
    EXPECT_EQ(CheckPersonalPage(BirthDate(u"1800", u"01", u"01")), std::nullopt);
    EXPECT_EQ(CheckPersonalPage(BirthDate(u"2099", u"01", u"01")), std::nullopt);
    for (std::u16string_view year : {u"1799", u"2100", u"abcd", u"19x9"}) {
        EXPECT_EQ(CheckPersonalPage(BirthDate(year, u"01", u"01")),
                  (LeaveFailure<K>{u"Invalid birthday year", K::BirthYear}))
            << std::string(year.begin(), year.end());
    }
    EXPECT_EQ(CheckPersonalPage(BirthDate(u"19999", u"01", u"01")),
              (LeaveFailure<K>{u"Please enter no more than 4 characters.", K::BirthYear}));
}

TEST(LeaveChecksTest, LicenceExpiryIsCheckedAfterTheBirthDate) {
    PersonalEntries entries = BirthDate(u"1980", u"02", u"30");
    entries[K::LicenseExpiryDay] = u"10";
    EXPECT_EQ(CheckPersonalPage(entries)->message, u"Invalid birthday day");
    entries[K::BirthDay] = u"28";
    EXPECT_EQ(CheckPersonalPage(entries),
              (LeaveFailure<K>{u"Invalid drivers license expiry year", K::LicenseExpiryYear}));
    entries[K::LicenseExpiryYear] = u"2031";
    EXPECT_EQ(CheckPersonalPage(entries),
              (LeaveFailure<K>{u"Invalid drivers license expiry month", K::LicenseExpiryMonth}));
    entries[K::LicenseExpiryMonth] = u"06";
    entries[K::LicenseExpiryDay] = u"31";
    EXPECT_EQ(CheckPersonalPage(entries),
              (LeaveFailure<K>{u"Invalid drivers license expiry day", K::LicenseExpiryDay}));
    entries[K::LicenseExpiryDay] = u"30";
    EXPECT_EQ(CheckPersonalPage(entries), std::nullopt);
}

TEST(LeaveChecksTest, CardDatesMustBeWholeAndTheFocusGoesToTheBlankHalf) {
    CardEntries entries;
    entries[CardKey::ExpiryMonth] = u"05";
    EXPECT_EQ(CheckCardPage(entries),
              (LeaveFailure<CardKey>{u"Expiry Date is invalid", CardKey::ExpiryYear}));
    entries[CardKey::ExpiryMonth] = u"";
    entries[CardKey::ExpiryYear] = u"2030";
    EXPECT_EQ(CheckCardPage(entries),
              (LeaveFailure<CardKey>{u"Expiry Date is invalid", CardKey::ExpiryMonth}));
    entries[CardKey::ExpiryMonth] = u"05";
    entries[CardKey::ValidFromYear] = u"2020";
    EXPECT_EQ(CheckCardPage(entries),
              (LeaveFailure<CardKey>{u"Valid From Date is invalid", CardKey::ValidFromMonth}));
    entries[CardKey::ValidFromMonth] = u"02";
    EXPECT_EQ(CheckCardPage(entries), std::nullopt);
}

TEST(LeaveChecksTest, CardNumberAndCodeAreDigitsOnlyOrEmpty) {
    CardEntries entries;
    EXPECT_EQ(CheckCardPage(entries), std::nullopt);
    for (std::u16string_view number : {u"4111 1111", u"4111-1111", u"４１"}) {
        entries[CardKey::Number] = number;
        EXPECT_EQ(CheckCardPage(entries),
                  (LeaveFailure<CardKey>{u"Credit card number must be numeric.", CardKey::Number}));
    }
    entries[CardKey::Number] = u"4111111111111111";
    entries[CardKey::VerificationCode] = u"12a";
    EXPECT_EQ(CheckCardPage(entries), (LeaveFailure<CardKey>{u"Validation code must be numeric.",
                                                             CardKey::VerificationCode}));
    entries[CardKey::VerificationCode] = u"123";
    EXPECT_EQ(CheckCardPage(entries), std::nullopt);
}

TEST(LeaveChecksTest, RoutingCodeIsDigitsOnly) {
    AccountEntries entries;
    EXPECT_EQ(CheckAccountPage(entries), std::nullopt);
    entries[AccountKey::RoutingNumber] = u"12 34";
    EXPECT_EQ(CheckAccountPage(entries)->focus, AccountKey::RoutingNumber);
    EXPECT_EQ(CheckAccountPage(entries)->message, u"Routing code must be numeric.");
    entries[AccountKey::RoutingNumber] = u"1234";
    EXPECT_EQ(CheckAccountPage(entries), std::nullopt);
}

}  // namespace
}  // namespace veltrix::editor::identity
