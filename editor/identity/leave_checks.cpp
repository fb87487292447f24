#include "editor/identity/leave_checks.h"

#include <algorithm>
#include <array>

#include "editor/identity/identity_texts.h"
#include "platform/text.h"

namespace veltrix::editor::identity {
namespace {

struct DateCheck {
    IdentityKey year;
    IdentityKey month;
    IdentityKey day;
    std::u16string_view badYear;
    std::u16string_view badMonth;
    std::u16string_view badDay;
};

constexpr std::array kPersonalDates = {
    DateCheck{IdentityKey::BirthYear, IdentityKey::BirthMonth, IdentityKey::BirthDay, kBadBirthYear,
              kBadBirthMonth, kBadBirthDay},
    DateCheck{IdentityKey::LicenseExpiryYear, IdentityKey::LicenseExpiryMonth,
              IdentityKey::LicenseExpiryDay, kBadLicenseYear, kBadLicenseMonth, kBadLicenseDay},
};

std::optional<LeaveFailure<IdentityKey>> CheckYearLength(const PersonalEntries& entries,
                                                         IdentityKey year) {
    if (EntryText(entries, year).size() > kYearMaxLength) {
        return LeaveFailure<IdentityKey>{
            text::ReplaceFirst(kTooManyCharacters, u"%1", text::FromInt(kYearMaxLength)), year};
    }
    return std::nullopt;
}

std::optional<LeaveFailure<IdentityKey>> CheckDate(const PersonalEntries& entries,
                                                   const DateCheck& date) {
    const std::u16string& yearText = EntryText(entries, date.year);
    const std::u16string& monthText = EntryText(entries, date.month);
    const std::u16string& dayText = EntryText(entries, date.day);
    if (yearText.empty() && monthText.empty() && dayText.empty()) {
        return std::nullopt;
    }
    const long year = text::ToInt(yearText);
    if (year < 1800 || year > 2099) {
        return LeaveFailure<IdentityKey>{std::u16string(date.badYear), date.year};
    }
    const long month = text::ToInt(monthText);
    if (month < 1 || month > 12) {
        return LeaveFailure<IdentityKey>{std::u16string(date.badMonth), date.month};
    }
    const long day = text::ToInt(dayText);
    if (day < 1 || day > DaysInMonth(static_cast<int>(month), static_cast<int>(year))) {
        return LeaveFailure<IdentityKey>{std::u16string(date.badDay), date.day};
    }
    return std::nullopt;
}

// A month and year pair is whole or empty; the focus goes to the blank half.
std::optional<LeaveFailure<CardKey>> CheckMonthYear(const CardEntries& entries, CardKey month,
                                                    CardKey year, std::u16string_view message) {
    const bool hasMonth = !EntryText(entries, month).empty();
    const bool hasYear = !EntryText(entries, year).empty();
    if (hasMonth == hasYear) {
        return std::nullopt;
    }
    return LeaveFailure<CardKey>{std::u16string(message), hasMonth ? year : month};
}

}  // namespace

bool IsDigitsOnly(std::u16string_view text) {
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

int DaysInMonth(int month, int year) {
    static constexpr std::array kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) {
        return 0;
    }
    if (month == 2 && year % 4 == 0) {
        return 29;
    }
    return kDays[static_cast<std::size_t>(month - 1)];
}

std::optional<LeaveFailure<IdentityKey>> CheckNamePage(std::u16string_view firstName,
                                                       std::u16string_view lastName) {
    if (firstName.empty()) {
        return LeaveFailure<IdentityKey>{std::u16string(kNeedFirstName), IdentityKey::FirstName};
    }
    if (lastName.empty()) {
        return LeaveFailure<IdentityKey>{std::u16string(kNeedLastName), IdentityKey::LastName};
    }
    return std::nullopt;
}

std::optional<LeaveFailure<IdentityKey>> CheckPersonalPage(const PersonalEntries& entries) {
    for (const DateCheck& date : kPersonalDates) {
        if (auto failure = CheckYearLength(entries, date.year)) {
            return failure;
        }
    }
    for (const DateCheck& date : kPersonalDates) {
        if (auto failure = CheckDate(entries, date)) {
            return failure;
        }
    }
    return std::nullopt;
}

std::optional<LeaveFailure<CardKey>> CheckCardPage(const CardEntries& entries) {
    if (auto failure =
            CheckMonthYear(entries, CardKey::ExpiryMonth, CardKey::ExpiryYear, kBadExpiryDate)) {
        return failure;
    }
    if (auto failure = CheckMonthYear(entries, CardKey::ValidFromMonth, CardKey::ValidFromYear,
                                      kBadValidFromDate)) {
        return failure;
    }
    if (!IsDigitsOnly(EntryText(entries, CardKey::Number))) {
        return LeaveFailure<CardKey>{std::u16string(kCardNumberNotNumeric), CardKey::Number};
    }
    if (!IsDigitsOnly(EntryText(entries, CardKey::VerificationCode))) {
        return LeaveFailure<CardKey>{std::u16string(kCodeNotNumeric), CardKey::VerificationCode};
    }
    return std::nullopt;
}

std::optional<LeaveFailure<AccountKey>> CheckAccountPage(const AccountEntries& entries) {
    if (!IsDigitsOnly(EntryText(entries, AccountKey::RoutingNumber))) {
        return LeaveFailure<AccountKey>{std::u16string(kRoutingNotNumeric),
                                        AccountKey::RoutingNumber};
    }
    return std::nullopt;
}

}  // namespace veltrix::editor::identity
