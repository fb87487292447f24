// The Identity record: personal data for filling web forms, with its credit cards and bank
// accounts as sub-records. Every field is an element of the record text, in table order.
#pragma once

#include <array>
#include <cstddef>
#include <list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/tagged_file.h"

namespace veltrix {

// The element keys of an Identity, in storing order.
inline constexpr std::array<std::u16string_view, 46> kIdentityKeys = {
    u"title",    u"fname",   u"mname",  u"lname",    u"email",   u"sex",     u"bdayy",
    u"bdaym",    u"bdayd",   u"bplace", u"mmname",   u"ssn",     u"dln",     u"dlexpy",
    u"dlexpm",   u"dlexpd",  u"mstat",  u"cell1",    u"cell2",   u"pnotes",  u"hstr",
    u"hcity",    u"hst",     u"hzip1",  u"hcountry", u"hphone1", u"hphone2", u"hfax1",
    u"hfax2",    u"wco",     u"wstr",   u"wcity",    u"wst",     u"wzip1",   u"wcountry",
    u"wphone1",  u"wphone2", u"wfax1",  u"wfax2",    u"wpager1", u"wpager2", u"wmobile1",
    u"wmobile2", u"wtitle",  u"wdept",  u"woffice",
};

// The element keys of a credit card, in storing order; "ccid" names the card.
inline constexpr std::array<std::u16string_view, 13> kCreditCardKeys = {
    u"ccid",     u"cctype", u"cc#",    u"ccvcode",  u"ccexpy",   u"ccexpm",  u"ccvfromy",
    u"ccvfromm", u"ccname", u"ccbank", u"ccphone1", u"ccphone2", u"ccnotes",
};

// The element keys of a bank account, in storing order; "baid" names the account.
inline constexpr std::array<std::u16string_view, 9> kBankAccountKeys = {
    u"baid",    u"babank", u"baphone1", u"baphone2", u"baacct#",
    u"barout#", u"batype", u"baowner",  u"banotes",
};

// The computed key of an Identity: first name, middle initial and last name.
inline constexpr std::u16string_view kFullNameKey = u"fullname";

// A fixed table of named text fields, stored as elements in table order.
class TaggedFields {
public:
    explicit TaggedFields(std::span<const std::u16string_view> keys)
        : m_keys(keys), m_values(keys.size()) {}

    std::span<const std::u16string_view> Keys() const { return m_keys; }
    bool HasField(std::u16string_view key) const;
    // The value of `key`; empty for a key not in the table.
    const std::u16string& GetField(std::u16string_view key) const;
    // False, changing nothing, for a key not in the table.
    bool SetField(std::u16string_view key, std::u16string_view value);
    // Whether every field is empty.
    bool IsEmpty() const;
    void Clear();

    // The tagged text of the non-empty fields, in table order.
    std::u16string ToText() const;
    // Sets every field from its element of `text` (empty when missing).
    void LoadText(const std::u16string& text);

private:
    std::span<const std::u16string_view> m_keys;
    std::vector<std::u16string> m_values;
};

class CCreditCard : public TaggedFields {
public:
    CCreditCard() : TaggedFields(kCreditCardKeys) {}
    // The card's name ("ccid"), unique within its Identity.
    const std::u16string& GetId() const { return GetField(u"ccid"); }
};

class CBankAccount : public TaggedFields {
public:
    CBankAccount() : TaggedFields(kBankAccountKeys) {}
    // The account's name ("baid"), unique within its Identity.
    const std::u16string& GetId() const { return GetField(u"baid"); }
};

class CIdentity : public CTaggedFile {
public:
    // An empty Identity; read from `path` at once when one is given (check GetReadStatus).
    explicit CIdentity(std::u16string_view path = {});

    // Adds the computed "fullname" of the record's own fields; other keys, or an explicit
    // source, as inherited.
    std::u16string GetTag(std::u16string_view key,
                          const std::u16string* source = nullptr) const override;
    // First name, a blank, the middle initial and ". " when there is a middle name, last name.
    std::u16string GetFullName() const;

    // The 46 fields by key (kIdentityKeys); unknown keys read empty and cannot be set.
    static bool IsFieldKey(std::u16string_view key);
    const std::u16string& GetField(std::u16string_view key) const { return m_fields.GetField(key); }
    bool SetField(std::u16string_view key, std::u16string_view value) {
        return m_fields.SetField(key, value);
    }

    // The sub-record lists, front first; new sub-records go to the front.
    const std::list<CCreditCard>& CreditCards() const { return m_cards; }
    std::list<CCreditCard>& CreditCards() { return m_cards; }
    const std::list<CBankAccount>& BankAccounts() const { return m_accounts; }
    std::list<CBankAccount>& BankAccounts() { return m_accounts; }
    std::size_t CreditCardCount() const { return m_cards.size(); }
    std::size_t BankAccountCount() const { return m_accounts.size(); }

    CCreditCard& AddCreditCard(CCreditCard card = {});
    CBankAccount& AddBankAccount(CBankAccount account = {});
    // Removes the sub-record at this address; false when it is not in the list.
    bool RemoveCreditCard(const CCreditCard* card);
    bool RemoveBankAccount(const CBankAccount* account);
    // The first sub-record in list order with exactly this name; null when none.
    CCreditCard* FindCreditCard(std::u16string_view ccid);
    const CCreditCard* FindCreditCard(std::u16string_view ccid) const;
    CBankAccount* FindBankAccount(std::u16string_view baid);
    const CBankAccount* FindBankAccount(std::u16string_view baid) const;
    void ClearLists();

protected:
    void Serialize(CArchive& ar) override;

private:
    void StoreText();
    void LoadFields();

    TaggedFields m_fields{kIdentityKeys};
    std::list<CCreditCard> m_cards;
    std::list<CBankAccount> m_accounts;
};

}  // namespace veltrix
