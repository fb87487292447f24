#include "editor/identity/page_entries.h"

#include <array>

#include "editor/identity/choice_lists.h"

namespace veltrix::editor::identity {
namespace {

constexpr std::array kPersonalKeys = {
    IdentityKey::Sex,
    IdentityKey::MaritalStatus,
    IdentityKey::BirthYear,
    IdentityKey::BirthMonth,
    IdentityKey::BirthDay,
    IdentityKey::BirthPlace,
    IdentityKey::MothersMaidenName,
    IdentityKey::SocialSecurityNumber,
    IdentityKey::Cell1,
    IdentityKey::Cell2,
    IdentityKey::DriversLicense,
    IdentityKey::LicenseExpiryYear,
    IdentityKey::LicenseExpiryMonth,
    IdentityKey::LicenseExpiryDay,
    IdentityKey::PersonalNotes,
};

constexpr std::array kCardKeys = {
    CardKey::Type,       CardKey::Number,         CardKey::VerificationCode, CardKey::ExpiryMonth,
    CardKey::ExpiryYear, CardKey::ValidFromMonth, CardKey::ValidFromYear,    CardKey::NameOnCard,
    CardKey::Bank,       CardKey::Phone1,         CardKey::Phone2,           CardKey::Notes,
};

constexpr std::array kAccountKeys = {
    AccountKey::Type,   AccountKey::AccountNumber, AccountKey::RoutingNumber, AccountKey::Bank,
    AccountKey::Phone1, AccountKey::Phone2,        AccountKey::Owner,         AccountKey::Notes,
};

// Blanks the three fields of a date whose year is empty.
void BlankDateWithoutYear(PersonalEntries& entries, IdentityKey year, IdentityKey month,
                          IdentityKey day) {
    if (EntryText(entries, year).empty()) {
        entries[year].clear();
        entries[month].clear();
        entries[day].clear();
    }
}

// Stores a month and year pair only when both are chosen.
void StoreMonthYear(CCreditCard& card, const CardEntries& entries, CardKey month, CardKey year) {
    const std::u16string& monthText = EntryText(entries, month);
    const std::u16string& yearText = EntryText(entries, year);
    const bool both = !monthText.empty() && !yearText.empty();
    card.Set(month, both ? monthText : std::u16string());
    card.Set(year, both ? yearText : std::u16string());
}

}  // namespace

std::span<const IdentityKey> PersonalKeys() {
    return kPersonalKeys;
}

std::span<const CardKey> CardPageKeys() {
    return kCardKeys;
}

std::span<const AccountKey> AccountPageKeys() {
    return kAccountKeys;
}

PersonalEntries LoadPersonal(const CIdentity& identity) {
    PersonalEntries entries;
    for (IdentityKey key : kPersonalKeys) {
        entries[key] = identity.Get(key);
    }
    entries[IdentityKey::Sex] = SexChoiceFor(identity.Get(IdentityKey::Sex));
    BlankDateWithoutYear(entries, IdentityKey::BirthYear, IdentityKey::BirthMonth,
                         IdentityKey::BirthDay);
    BlankDateWithoutYear(entries, IdentityKey::LicenseExpiryYear, IdentityKey::LicenseExpiryMonth,
                         IdentityKey::LicenseExpiryDay);
    return entries;
}

void StorePersonal(CIdentity& identity, const PersonalEntries& entries) {
    for (IdentityKey key : kPersonalKeys) {
        identity.Set(key, EntryText(entries, key));
    }
    identity.Set(IdentityKey::Sex, StoredSex(EntryText(entries, IdentityKey::Sex)));
}

CardEntries LoadCard(const CCreditCard& card) {
    CardEntries entries;
    for (CardKey key : kCardKeys) {
        entries[key] = card.Get(key);
    }
    return entries;
}

void StoreCard(CCreditCard& card, const CardEntries& entries) {
    for (CardKey key : kCardKeys) {
        card.Set(key, EntryText(entries, key));
    }
    StoreMonthYear(card, entries, CardKey::ExpiryMonth, CardKey::ExpiryYear);
    StoreMonthYear(card, entries, CardKey::ValidFromMonth, CardKey::ValidFromYear);
}

AccountEntries LoadAccount(const CBankAccount& account) {
    AccountEntries entries;
    for (AccountKey key : kAccountKeys) {
        entries[key] = account.Get(key);
    }
    return entries;
}

void StoreAccount(CBankAccount& account, const AccountEntries& entries) {
    for (AccountKey key : kAccountKeys) {
        account.Set(key, EntryText(entries, key));
    }
}

}  // namespace veltrix::editor::identity
