// The credit cards and bank accounts of an Identity as the sheet lists and edits them: the sorted
// name list, and New, Rename and Delete with their prompts and messages. Names are compared
// exactly (case-sensitive) and undergo no character test: they are not file names.
#pragma once

#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/identity.h"
#include "editor/identity/page_entries.h"
#include "ui/ui_port.h"

namespace veltrix::editor::identity {

// Asks for a sub-record's name: one edit under a prompt.
class INamePrompt {
public:
    virtual ~INamePrompt() = default;
    // The name typed; nullopt when the user cancels.
    virtual std::optional<std::u16string> AskName(std::u16string_view caption,
                                                  std::u16string_view prompt) = 0;
};

// How one kind of sub-record lives in the Identity, and the texts of its prompts.
struct CardKind {
    using Record = CCreditCard;
    static constexpr CardKey kId = CardKey::Id;
    static std::list<Record>& List(CIdentity& identity) { return identity.CreditCards(); }
    static Record& Add(CIdentity& identity, Record record) {
        return identity.AddCreditCard(std::move(record));
    }
    static bool Remove(CIdentity& identity, const Record* record) {
        return identity.RemoveCreditCard(record);
    }
    static CardEntries Load(const Record& record) { return LoadCard(record); }
    static void Store(Record& record, const CardEntries& entries) { StoreCard(record, entries); }
};
struct AccountKind {
    using Record = CBankAccount;
    static constexpr AccountKey kId = AccountKey::Id;
    static std::list<Record>& List(CIdentity& identity) { return identity.BankAccounts(); }
    static Record& Add(CIdentity& identity, Record record) {
        return identity.AddBankAccount(std::move(record));
    }
    static bool Remove(CIdentity& identity, const Record* record) {
        return identity.RemoveBankAccount(record);
    }
    static AccountEntries Load(const Record& record) { return LoadAccount(record); }
    static void Store(Record& record, const AccountEntries& entries) {
        StoreAccount(record, entries);
    }
};

enum class DeleteResult { Cancelled, Deleted, Failed };

template <class Kind>
class SubRecords {
public:
    using Record = typename Kind::Record;

    SubRecords(CIdentity& identity, ui::IUserInterface& ui, INamePrompt& prompt)
        : m_identity(identity), m_ui(ui), m_prompt(prompt) {}

    // The sub-records in name-list order: by name ignoring case, then exactly, then list order.
    std::vector<Record*> Sorted() const;

    // Asks for a new name until it is empty of conflicts, then adds an empty sub-record of that
    // name. Null when the user cancels.
    Record* New();
    // Asks for a new name for `record`; an accepted name that no other sub-record bears replaces
    // it by a copy under that name. The sub-record now shown (the copy, or `record` itself when the
    // name is unchanged); null when the user cancels.
    Record* Rename(Record& record);
    // Asks before removing `record`; shows the failure when it is not in the Identity.
    DeleteResult Delete(Record& record);

private:
    // Asks until the name is neither empty nor borne by another sub-record than `self`.
    std::optional<std::u16string> AskUniqueName(std::u16string_view caption,
                                                std::u16string_view prompt, const Record* self);
    bool NameTaken(std::u16string_view name, const Record* self) const;

    CIdentity& m_identity;
    ui::IUserInterface& m_ui;
    INamePrompt& m_prompt;
};

using CreditCards = SubRecords<CardKind>;
using BankAccounts = SubRecords<AccountKind>;

// What the Credit Cards and Bank Accounts pages show: the sorted name list with its selection, and
// the edits that change it. Every method that returns true changed the Identity.
template <class Kind>
class SubRecordPage {
public:
    using Record = typename Kind::Record;
    using PageEntries = decltype(Kind::Load(std::declval<const Record&>()));

    SubRecordPage(ui::IUserInterface& ui, INamePrompt& prompt) : m_ui(ui), m_prompt(prompt) {}

    // Lists the Identity's sub-records and selects the first one; null lists nothing.
    void Attach(CIdentity* identity);

    std::vector<std::u16string> Names() const;
    // The index of the selected entry in Names(); nullopt when none is selected.
    std::optional<std::size_t> Selection() const { return m_selection; }
    Record* Selected() const;
    // Selects an entry of Names(); an index past the end selects none.
    void Select(std::size_t index);
    // The page's texts for the selected sub-record; all empty when none is selected.
    PageEntries Shown() const;

    // The New button: names and adds an empty sub-record and selects it.
    bool New();
    // The Rename button, with a selection.
    bool Rename();
    // The Delete button, with a selection; afterwards the first entry is selected.
    bool Delete();
    // An edit on the page: copies `entries` into the selected sub-record. Without a selection New
    // runs first and the new sub-record takes the edit; false when the user cancels it.
    bool StoreEdit(const PageEntries& entries);

private:
    // Lists again and selects `record` (null: the first entry).
    void Relist(const Record* record);

    ui::IUserInterface& m_ui;
    INamePrompt& m_prompt;
    CIdentity* m_identity = nullptr;
    std::vector<Record*> m_listed;
    std::optional<std::size_t> m_selection;
};

using CreditCardPage = SubRecordPage<CardKind>;
using BankAccountPage = SubRecordPage<AccountKind>;

extern template class SubRecords<CardKind>;
extern template class SubRecords<AccountKind>;
extern template class SubRecordPage<CardKind>;
extern template class SubRecordPage<AccountKind>;

}  // namespace veltrix::editor::identity
