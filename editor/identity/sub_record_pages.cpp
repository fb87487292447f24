#include "editor/identity/sub_record_pages.h"

#include <QFormLayout>
#include <QHBoxLayout>

#include "editor/identity/choice_lists.h"
#include "editor/identity/leave_checks.h"
#include "editor/identity/page_widgets.h"

namespace veltrix::editor::identity {
namespace {

// The month and year lists of a date side by side.
QWidget* MonthYearRow(QWidget* parent, QWidget* month, QWidget* year) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    month->setParent(row);
    year->setParent(row);
    layout->addWidget(month);
    layout->addWidget(year);
    layout->addStretch(1);
    return row;
}

template <typename Key>
void FillWithStored(QComboBox* list, const Choices& choices, const Entries<Key>& entries, Key key) {
    FillList(list, WithStoredValue(choices, EntryText(entries, key)), EntryText(entries, key));
}

}  // namespace

CreditCardsPage::CreditCardsPage(ui::IUserInterface& ui, INamePrompt& prompt, QWidget* parent)
    : SubRecordPageOf(ui, prompt, parent) {
    using K = CardKey;
    auto* form = new QFormLayout(this);
    QWidget* nameRow = MakeNameRow(KeyName(K::Id));
    form->addRow(MakeLabel(this, u"Card name:", NameList()), nameRow);
    m_controls.Add(K::Type, MakeList(this, KeyName(K::Type)));
    for (K key : {K::Number, K::VerificationCode, K::NameOnCard, K::Bank, K::Phone1, K::Phone2}) {
        m_controls.Add(key, MakeEdit(this, KeyName(key)));
    }
    for (K key : {K::ExpiryMonth, K::ExpiryYear, K::ValidFromMonth, K::ValidFromYear}) {
        m_controls.Add(key, MakeList(this, KeyName(key)));
    }
    m_controls.Add(K::Notes, MakeNotes(this, KeyName(K::Notes)));

    const auto addRow = [&](std::u16string_view label, K key, QWidget* control = nullptr) {
        form->addRow(MakeLabel(this, label, Control(key)), control ? control : Control(key));
    };
    addRow(u"Card Type:", K::Type);
    addRow(u"Card number:", K::Number);
    addRow(u"Validation Code:", K::VerificationCode);
    addRow(u"Expiry Date:", K::ExpiryMonth,
           MonthYearRow(this, Control(K::ExpiryMonth), Control(K::ExpiryYear)));
    addRow(u"Valid From Date:", K::ValidFromMonth,
           MonthYearRow(this, Control(K::ValidFromMonth), Control(K::ValidFromYear)));
    addRow(u"Name on Card:", K::NameOnCard);
    addRow(u"Issuing Bank Name:", K::Bank);
    addRow(u"Issuing Bank Phone:", K::Phone1,
           PhoneRow(this, static_cast<QLineEdit*>(Control(K::Phone1)),
                    static_cast<QLineEdit*>(Control(K::Phone2))));
    addRow(u"Notes:", K::Notes);

    Load(nullptr);
    m_controls.ConnectEdits(this, &CreditCardsPage::OnEdit);
}

void CreditCardsPage::FillLists(const CardEntries& entries) {
    using K = CardKey;
    const Choices years = CardYearChoices(CurrentYear());
    FillWithStored(m_controls.List(K::Type), CardTypeChoices(), entries, K::Type);
    FillWithStored(m_controls.List(K::ExpiryMonth), MonthChoices(), entries, K::ExpiryMonth);
    FillWithStored(m_controls.List(K::ExpiryYear), years, entries, K::ExpiryYear);
    FillWithStored(m_controls.List(K::ValidFromMonth), MonthChoices(), entries, K::ValidFromMonth);
    FillWithStored(m_controls.List(K::ValidFromYear), years, entries, K::ValidFromYear);
}

bool CreditCardsPage::CheckLeave() {
    return !Attached() || Report(CheckCardPage(m_controls.Read()));
}

BankAccountsPage::BankAccountsPage(ui::IUserInterface& ui, INamePrompt& prompt, QWidget* parent)
    : SubRecordPageOf(ui, prompt, parent) {
    using K = AccountKey;
    auto* form = new QFormLayout(this);
    QWidget* nameRow = MakeNameRow(KeyName(K::Id));
    form->addRow(MakeLabel(this, u"Account Name:", NameList()), nameRow);
    m_controls.Add(K::Type, MakeList(this, KeyName(K::Type)));
    for (K key : {K::AccountNumber, K::RoutingNumber, K::Bank, K::Phone1, K::Phone2, K::Owner}) {
        m_controls.Add(key, MakeEdit(this, KeyName(key)));
    }
    m_controls.Add(K::Notes, MakeNotes(this, KeyName(K::Notes)));

    const auto addRow = [&](std::u16string_view label, K key, QWidget* control = nullptr) {
        form->addRow(MakeLabel(this, label, Control(key)), control ? control : Control(key));
    };
    addRow(u"Account Type:", K::Type);
    addRow(u"Account Number:", K::AccountNumber);
    addRow(u"Routing Code:", K::RoutingNumber);
    addRow(u"Bank Name:", K::Bank);
    addRow(u"Bank Phone Number:", K::Phone1,
           PhoneRow(this, static_cast<QLineEdit*>(Control(K::Phone1)),
                    static_cast<QLineEdit*>(Control(K::Phone2))));
    addRow(u"Account Owner:", K::Owner);
    addRow(u"Notes:", K::Notes);

    Load(nullptr);
    m_controls.ConnectEdits(this, &BankAccountsPage::OnEdit);
}

void BankAccountsPage::FillLists(const AccountEntries& entries) {
    FillWithStored(m_controls.List(AccountKey::Type), AccountTypeChoices(), entries,
                   AccountKey::Type);
}

bool BankAccountsPage::CheckLeave() {
    return !Attached() || Report(CheckAccountPage(m_controls.Read()));
}

}  // namespace veltrix::editor::identity
