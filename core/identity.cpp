#include "core/identity.h"

#include <algorithm>
#include <span>

namespace veltrix {
namespace {

// The first character of `text`, a whole surrogate pair when it starts with one.
std::u16string_view FirstCharacter(std::u16string_view text) {
    const bool pair = text.size() >= 2 && text[0] >= 0xD800 && text[0] <= 0xDBFF &&
                      text[1] >= 0xDC00 && text[1] <= 0xDFFF;
    return text.substr(0, pair ? 2 : 1);
}

template <typename Key>
std::optional<Key> FromName(std::span<const std::u16string_view> names, std::u16string_view name) {
    auto found = std::find(names.begin(), names.end(), name);
    if (found == names.end()) {
        return std::nullopt;
    }
    return static_cast<Key>(found - names.begin());
}

template <typename SubRecord>
bool RemoveFrom(std::list<SubRecord>& records, const SubRecord* record) {
    auto found = std::find_if(records.begin(), records.end(),
                              [record](const SubRecord& item) { return &item == record; });
    if (found == records.end()) {
        return false;
    }
    records.erase(found);
    return true;
}

// The first sub-record of `records` named `id`; null when none.
template <typename List>
auto FindById(List& records, std::u16string_view id) -> decltype(&records.front()) {
    auto found = std::find_if(records.begin(), records.end(),
                              [id](const auto& item) { return item.GetId() == id; });
    return found == records.end() ? nullptr : &*found;
}

}  // namespace

std::u16string_view KeyName(IdentityKey key) {
    return kIdentityKeyNames[static_cast<std::size_t>(key)];
}

std::u16string_view KeyName(CardKey key) {
    return kCardKeyNames[static_cast<std::size_t>(key)];
}

std::u16string_view KeyName(AccountKey key) {
    return kAccountKeyNames[static_cast<std::size_t>(key)];
}

std::optional<IdentityKey> IdentityKeyFromName(std::u16string_view name) {
    return FromName<IdentityKey>(kIdentityKeyNames, name);
}

std::optional<CardKey> CardKeyFromName(std::u16string_view name) {
    return FromName<CardKey>(kCardKeyNames, name);
}

std::optional<AccountKey> AccountKeyFromName(std::u16string_view name) {
    return FromName<AccountKey>(kAccountKeyNames, name);
}

std::optional<IdentityValueKey> LookupIdentityValueKey(std::u16string_view name) {
    if (name.starts_with(u"cc")) {
        if (auto key = CardKeyFromName(name)) {
            return *key;
        }
        return std::nullopt;
    }
    if (name.starts_with(u"ba")) {
        if (auto key = AccountKeyFromName(name)) {
            return *key;
        }
        return std::nullopt;
    }
    if (name == kFullNameKey) {
        return FullNameKey{};
    }
    if (auto key = IdentityKeyFromName(name)) {
        return *key;
    }
    return std::nullopt;
}

std::u16string CIdentity::GetFullName() const {
    std::u16string name = Get(IdentityKey::FirstName);
    name += u' ';
    if (const std::u16string& middle = Get(IdentityKey::MiddleName); !middle.empty()) {
        name += FirstCharacter(middle);
        name += u". ";
    }
    name += Get(IdentityKey::LastName);
    return name;
}

CCreditCard& CIdentity::AddCreditCard(CCreditCard card) {
    m_cards.push_front(std::move(card));
    return m_cards.front();
}

CBankAccount& CIdentity::AddBankAccount(CBankAccount account) {
    m_accounts.push_front(std::move(account));
    return m_accounts.front();
}

bool CIdentity::RemoveCreditCard(const CCreditCard* card) {
    return RemoveFrom(m_cards, card);
}

bool CIdentity::RemoveBankAccount(const CBankAccount* account) {
    return RemoveFrom(m_accounts, account);
}

CCreditCard* CIdentity::FindCreditCard(std::u16string_view ccid) {
    return FindById(m_cards, ccid);
}

const CCreditCard* CIdentity::FindCreditCard(std::u16string_view ccid) const {
    return FindById(m_cards, ccid);
}

CBankAccount* CIdentity::FindBankAccount(std::u16string_view baid) {
    return FindById(m_accounts, baid);
}

const CBankAccount* CIdentity::FindBankAccount(std::u16string_view baid) const {
    return FindById(m_accounts, baid);
}

void CIdentity::ClearLists() {
    m_cards.clear();
    m_accounts.clear();
}

}  // namespace veltrix
