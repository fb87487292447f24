#include "editor/identity/personal_page.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

#include "editor/identity/choice_lists.h"
#include "editor/identity/leave_checks.h"
#include "editor/identity/page_widgets.h"

namespace veltrix::editor::identity {
namespace {

using K = IdentityKey;

QLineEdit* MakeYearEdit(QWidget* parent, IdentityKey key) {
    QLineEdit* edit = MakeEdit(parent, KeyName(key));
    edit->setValidator(new MaxLengthValidator(static_cast<int>(kYearMaxLength), edit));
    edit->setMaximumWidth(60);
    return edit;
}

// "YYYY:" edit, "MM:" and "DD:" lists in one row.
QWidget* DateRow(QWidget* parent, std::u16string_view yearLabel, QWidget* year, QWidget* month,
                 QWidget* day) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (auto [label, control] :
         {std::pair{yearLabel, year}, std::pair{std::u16string_view(u"MM:"), month},
          std::pair{std::u16string_view(u"DD:"), day}}) {
        control->setParent(row);
        layout->addWidget(MakeLabel(row, label, control));
        layout->addWidget(control);
    }
    layout->addStretch(1);
    return row;
}

}  // namespace

PersonalPage::PersonalPage(ui::IUserInterface& ui, QWidget* parent)
    : IdentityPage(parent), m_ui(ui) {
    m_controls.Add(K::Sex, MakeList(this, KeyName(K::Sex)));
    m_controls.Add(K::MaritalStatus, MakeList(this, KeyName(K::MaritalStatus)));
    m_controls.Add(K::BirthYear, MakeYearEdit(this, K::BirthYear));
    m_controls.Add(K::BirthMonth, MakeList(this, KeyName(K::BirthMonth)));
    m_controls.Add(K::BirthDay, MakeList(this, KeyName(K::BirthDay)));
    for (K key : {K::BirthPlace, K::MothersMaidenName, K::SocialSecurityNumber, K::Cell1, K::Cell2,
                  K::DriversLicense}) {
        m_controls.Add(key, MakeEdit(this, KeyName(key)));
    }
    m_controls.Add(K::LicenseExpiryYear, MakeYearEdit(this, K::LicenseExpiryYear));
    m_controls.Add(K::LicenseExpiryMonth, MakeList(this, KeyName(K::LicenseExpiryMonth)));
    m_controls.Add(K::LicenseExpiryDay, MakeList(this, KeyName(K::LicenseExpiryDay)));
    m_controls.Add(K::PersonalNotes, MakeNotes(this, KeyName(K::PersonalNotes)));
    BuildLayout();
    Load(nullptr);
    m_controls.ConnectEdits(this, &PersonalPage::Store);
}

void PersonalPage::BuildLayout() {
    auto* grid = new QGridLayout(this);
    int row = 0;
    const auto addRow = [&](std::u16string_view label, QWidget* buddy, QWidget* control) {
        grid->addWidget(MakeLabel(this, label, buddy), row, 0, Qt::AlignLeft | Qt::AlignTop);
        grid->addWidget(control, row, 1);
        ++row;
    };
    auto* sexAndStatus = new QWidget(this);
    auto* statusRow = new QHBoxLayout(sexAndStatus);
    statusRow->setContentsMargins(0, 0, 0, 0);
    statusRow->addWidget(Control(K::Sex));
    statusRow->addWidget(MakeLabel(sexAndStatus, u"Marital Status:", Control(K::MaritalStatus)));
    statusRow->addWidget(Control(K::MaritalStatus));
    statusRow->addStretch(1);
    addRow(u"Sex:", Control(K::Sex), sexAndStatus);
    addRow(u"Birth date:", Control(K::BirthYear),
           DateRow(this, u"YYYY:", Control(K::BirthYear), Control(K::BirthMonth),
                   Control(K::BirthDay)));
    addRow(u"Birth place:", Control(K::BirthPlace), Control(K::BirthPlace));
    addRow(u"Mother's Maiden Name:", Control(K::MothersMaidenName), Control(K::MothersMaidenName));
    addRow(u"Soc. Sec. / NI /Tax ID #", Control(K::SocialSecurityNumber),
           Control(K::SocialSecurityNumber));
    addRow(u"Mobile Phone:", Control(K::Cell1),
           PhoneRow(this, static_cast<QLineEdit*>(Control(K::Cell1)),
                    static_cast<QLineEdit*>(Control(K::Cell2))));
    addRow(u"Driver Lic. No:", Control(K::DriversLicense), Control(K::DriversLicense));
    addRow(u"", Control(K::LicenseExpiryYear),
           DateRow(this, u"Expires: YYYY", Control(K::LicenseExpiryYear),
                   Control(K::LicenseExpiryMonth), Control(K::LicenseExpiryDay)));
    addRow(u"Notes:", Control(K::PersonalNotes), Control(K::PersonalNotes));
    grid->setColumnStretch(1, 1);
}

void PersonalPage::Load(CIdentity* identity) {
    m_identity = identity;
    const PersonalEntries entries =
        identity != nullptr ? LoadPersonal(*identity) : PersonalEntries{};
    m_controls.ShowEdits(entries);
    const auto fill = [&](K key, const Choices& choices) {
        FillList(m_controls.List(key), WithStoredValue(choices, EntryText(entries, key)),
                 EntryText(entries, key));
    };
    FillList(m_controls.List(K::Sex), SexChoices(), EntryText(entries, K::Sex));
    fill(K::MaritalStatus, MaritalStatusChoices());
    fill(K::BirthMonth, MonthChoices());
    fill(K::BirthDay, DayChoices());
    fill(K::LicenseExpiryMonth, MonthChoices());
    fill(K::LicenseExpiryDay, DayChoices());
    setEnabled(identity != nullptr);
}

bool PersonalPage::CheckLeave() {
    if (m_identity == nullptr) {
        return true;
    }
    const auto failure = CheckPersonalPage(m_controls.Read());
    if (!failure) {
        return true;
    }
    m_ui.ShowMessage(failure->message, ui::Buttons::Ok, ui::Icon::Exclamation);
    Control(failure->focus)->setFocus();
    return false;
}

void PersonalPage::Store() {
    if (m_identity == nullptr) {
        return;
    }
    StorePersonal(*m_identity, m_controls.Read());
    emit Changed();
}

}  // namespace veltrix::editor::identity
