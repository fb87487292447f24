#include "core/identity.h"

#include <algorithm>

#include "platform/text.h"

namespace veltrix {
namespace {

// The element key of the N-th sub-record: "cc1", "cc2", ... or "ba1", ...
std::u16string NumberedKey(std::u16string_view prefix, std::size_t number) {
    std::u16string key(prefix);
    key += text::FromInt(static_cast<long long>(number));
    return key;
}

// The first character of `text`, a whole surrogate pair when it starts with one.
std::u16string_view FirstCharacter(std::u16string_view text) {
    const bool pair = text.size() >= 2 && text[0] >= 0xD800 && text[0] <= 0xDBFF &&
                      text[1] >= 0xDC00 && text[1] <= 0xDFFF;
    return text.substr(0, pair ? 2 : 1);
}

// Stores each sub-record as the element prefix+N, N counting from 1 from the list's front. A
// sub-record with every field empty writes no element but still takes its number.
template <typename SubRecord>
void StoreSubRecords(std::u16string& text, std::u16string_view prefix,
                     const std::list<SubRecord>& records) {
    std::size_t number = 1;
    for (const SubRecord& record : records) {
        CTaggedFile::PutTag(text, NumberedKey(prefix, number++), record.ToText());
    }
}

// Loads prefix1, prefix2, ... up to the first missing number, each to the front of the list.
template <typename SubRecord>
void LoadSubRecords(const std::u16string& text, std::u16string_view prefix,
                    std::list<SubRecord>& records) {
    for (std::size_t number = 1;; ++number) {
        std::u16string value = CTaggedFile::FindTag(text, NumberedKey(prefix, number));
        if (value.empty()) {
            return;
        }
        SubRecord record;
        record.LoadText(value);
        records.push_front(std::move(record));
    }
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

// ---- TaggedFields ----------------------------------------------------------------------------

bool TaggedFields::HasField(std::u16string_view key) const {
    return std::find(m_keys.begin(), m_keys.end(), key) != m_keys.end();
}

const std::u16string& TaggedFields::GetField(std::u16string_view key) const {
    static const std::u16string empty;
    auto found = std::find(m_keys.begin(), m_keys.end(), key);
    return found == m_keys.end() ? empty
                                 : m_values[static_cast<std::size_t>(found - m_keys.begin())];
}

bool TaggedFields::SetField(std::u16string_view key, std::u16string_view value) {
    auto found = std::find(m_keys.begin(), m_keys.end(), key);
    if (found == m_keys.end()) {
        return false;
    }
    m_values[static_cast<std::size_t>(found - m_keys.begin())] = value;
    return true;
}

bool TaggedFields::IsEmpty() const {
    return std::all_of(m_values.begin(), m_values.end(),
                       [](const std::u16string& value) { return value.empty(); });
}

void TaggedFields::Clear() {
    for (std::u16string& value : m_values) {
        value.clear();
    }
}

std::u16string TaggedFields::ToText() const {
    std::u16string text;
    for (std::size_t i = 0; i < m_keys.size(); ++i) {
        CTaggedFile::PutTag(text, m_keys[i], m_values[i]);
    }
    return text;
}

void TaggedFields::LoadText(const std::u16string& text) {
    for (std::size_t i = 0; i < m_keys.size(); ++i) {
        m_values[i] = CTaggedFile::FindTag(text, m_keys[i]);
    }
}

// ---- CIdentity -------------------------------------------------------------------------------

CIdentity::CIdentity(std::u16string_view path) {
    if (!path.empty()) {
        Read(path);
    }
}

bool CIdentity::IsFieldKey(std::u16string_view key) {
    return std::find(kIdentityKeys.begin(), kIdentityKeys.end(), key) != kIdentityKeys.end();
}

std::u16string CIdentity::GetTag(std::u16string_view key, const std::u16string* source) const {
    if (source == nullptr && key == kFullNameKey) {
        return GetFullName();
    }
    return CTaggedFile::GetTag(key, source);
}

std::u16string CIdentity::GetFullName() const {
    std::u16string name = GetField(u"fname");
    name += u' ';
    if (const std::u16string& middle = GetField(u"mname"); !middle.empty()) {
        name += FirstCharacter(middle);
        name += u". ";
    }
    name += GetField(u"lname");
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

void CIdentity::StoreText() {
    m_text = m_fields.ToText();
    StoreSubRecords(m_text, u"cc", m_cards);
    StoreSubRecords(m_text, u"ba", m_accounts);
}

// Loading is meant for a fresh record; lists left from before are dropped so that a second
// Read does not double them.
void CIdentity::LoadFields() {
    m_fields.LoadText(m_text);
    ClearLists();
    LoadSubRecords(m_text, u"cc", m_cards);
    LoadSubRecords(m_text, u"ba", m_accounts);
}

void CIdentity::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        StoreText();
        CTaggedFile::Serialize(ar);
    } else {
        CTaggedFile::Serialize(ar);
        LoadFields();
    }
}

}  // namespace veltrix
