// The Identity record: personal data for filling web forms, with its credit cards and bank
// accounts. A plain value: its fields by typed key, the element names appearing only where the
// record is stored (core/record_text.h) or where a name from outside is looked up.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace veltrix {

// The fields of an Identity, in storing order.
enum class IdentityKey : std::uint8_t {
    Title,
    FirstName,
    MiddleName,
    LastName,
    Email,
    Sex,
    BirthYear,
    BirthMonth,
    BirthDay,
    BirthPlace,
    MothersMaidenName,
    SocialSecurityNumber,
    DriversLicense,
    LicenseExpiryYear,
    LicenseExpiryMonth,
    LicenseExpiryDay,
    MaritalStatus,
    Cell1,
    Cell2,
    PersonalNotes,
    HomeStreet,
    HomeCity,
    HomeState,
    HomeZip,
    HomeCountry,
    HomePhone1,
    HomePhone2,
    HomeFax1,
    HomeFax2,
    Company,
    WorkStreet,
    WorkCity,
    WorkState,
    WorkZip,
    WorkCountry,
    WorkPhone1,
    WorkPhone2,
    WorkFax1,
    WorkFax2,
    WorkPager1,
    WorkPager2,
    WorkMobile1,
    WorkMobile2,
    JobTitle,
    Department,
    Office,
};

// The fields of a credit card, in storing order; Id names the card.
enum class CardKey : std::uint8_t {
    Id,
    Type,
    Number,
    VerificationCode,
    ExpiryYear,
    ExpiryMonth,
    ValidFromYear,
    ValidFromMonth,
    NameOnCard,
    Bank,
    Phone1,
    Phone2,
    Notes,
};

// The fields of a bank account, in storing order; Id names the account.
enum class AccountKey : std::uint8_t {
    Id,
    Bank,
    Phone1,
    Phone2,
    AccountNumber,
    RoutingNumber,
    Type,
    Owner,
    Notes,
};

// The stored element names, indexed by key: the one table of them.
inline constexpr std::array<std::u16string_view, 46> kIdentityKeyNames = {
    u"title",    u"fname",   u"mname",  u"lname",    u"email",   u"sex",     u"bdayy",
    u"bdaym",    u"bdayd",   u"bplace", u"mmname",   u"ssn",     u"dln",     u"dlexpy",
    u"dlexpm",   u"dlexpd",  u"mstat",  u"cell1",    u"cell2",   u"pnotes",  u"hstr",
    u"hcity",    u"hst",     u"hzip1",  u"hcountry", u"hphone1", u"hphone2", u"hfax1",
    u"hfax2",    u"wco",     u"wstr",   u"wcity",    u"wst",     u"wzip1",   u"wcountry",
    u"wphone1",  u"wphone2", u"wfax1",  u"wfax2",    u"wpager1", u"wpager2", u"wmobile1",
    u"wmobile2", u"wtitle",  u"wdept",  u"woffice",
};
inline constexpr std::array<std::u16string_view, 13> kCardKeyNames = {
    u"ccid",     u"cctype", u"cc#",    u"ccvcode",  u"ccexpy",   u"ccexpm",  u"ccvfromy",
    u"ccvfromm", u"ccname", u"ccbank", u"ccphone1", u"ccphone2", u"ccnotes",
};
inline constexpr std::array<std::u16string_view, 9> kAccountKeyNames = {
    u"baid",    u"babank", u"baphone1", u"baphone2", u"baacct#",
    u"barout#", u"batype", u"baowner",  u"banotes",
};

static_assert(static_cast<std::size_t>(IdentityKey::Office) + 1 == kIdentityKeyNames.size());
static_assert(static_cast<std::size_t>(CardKey::Notes) + 1 == kCardKeyNames.size());
static_assert(static_cast<std::size_t>(AccountKey::Notes) + 1 == kAccountKeyNames.size());

// The stored name of the computed full name: first name, middle initial and last name.
inline constexpr std::u16string_view kFullNameKey = u"fullname";

std::u16string_view KeyName(IdentityKey key);
std::u16string_view KeyName(CardKey key);
std::u16string_view KeyName(AccountKey key);
// The key of a stored element name (exact, case-sensitive); nullopt for any other name.
std::optional<IdentityKey> IdentityKeyFromName(std::u16string_view name);
std::optional<CardKey> CardKeyFromName(std::u16string_view name);
std::optional<AccountKey> AccountKeyFromName(std::u16string_view name);

// What a stored key name designates for filling: a field of the Identity, of its chosen card or
// account, or the computed full name.
struct FullNameKey {
    bool operator==(const FullNameKey&) const = default;
};
using IdentityValueKey = std::variant<IdentityKey, CardKey, AccountKey, FullNameKey>;
// The one lookup from a stored key name to its typed key; nullopt for names of no field.
std::optional<IdentityValueKey> LookupIdentityValueKey(std::u16string_view name);

// A fixed set of text fields indexed by the enum Key, with N members.
template <typename Key, std::size_t N>
class FieldSet {
public:
    static constexpr std::size_t kCount = N;

    const std::u16string& Get(Key key) const { return m_values[Index(key)]; }
    void Set(Key key, std::u16string_view value) { m_values[Index(key)] = value; }
    // Whether every field is empty.
    bool IsEmpty() const {
        for (const std::u16string& value : m_values) {
            if (!value.empty()) {
                return false;
            }
        }
        return true;
    }
    void Clear() { m_values = {}; }
    bool operator==(const FieldSet&) const = default;

private:
    static std::size_t Index(Key key) { return static_cast<std::size_t>(key); }

    std::array<std::u16string, N> m_values;
};

class CCreditCard : public FieldSet<CardKey, kCardKeyNames.size()> {
public:
    // The card's name, unique within its Identity.
    const std::u16string& GetId() const { return Get(CardKey::Id); }
};

class CBankAccount : public FieldSet<AccountKey, kAccountKeyNames.size()> {
public:
    // The account's name, unique within its Identity.
    const std::u16string& GetId() const { return Get(AccountKey::Id); }
};

class CIdentity {
public:
    using Fields = FieldSet<IdentityKey, kIdentityKeyNames.size()>;

    const std::u16string& Get(IdentityKey key) const { return m_fields.Get(key); }
    void Set(IdentityKey key, std::u16string_view value) { m_fields.Set(key, value); }
    const Fields& GetFields() const { return m_fields; }
    // First name, a blank, the middle initial and ". " when there is a middle name, last name.
    std::u16string GetFullName() const;

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

    bool operator==(const CIdentity&) const = default;

private:
    Fields m_fields;
    std::list<CCreditCard> m_cards;
    std::list<CBankAccount> m_accounts;
};

}  // namespace veltrix
