#include "editor/identity/field_table_page.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <array>

#include "editor/identity/leave_checks.h"
#include "editor/identity/page_widgets.h"

namespace veltrix::editor::identity {
namespace {

using K = IdentityKey;

constexpr FieldRow Edit(std::u16string_view label, K key, int column = 0) {
    return FieldRow{label, key, std::nullopt, false, column};
}
constexpr FieldRow Street(std::u16string_view label, K key) {
    return FieldRow{label, key, std::nullopt, true, 0};
}
constexpr FieldRow Phone(std::u16string_view label, K area, K number, int column = 0) {
    return FieldRow{label, area, number, false, column};
}

constexpr std::array kNameRows = {
    Edit(u"&Title:", K::Title),          Edit(u"&First:", K::FirstName),
    Edit(u"Mi&ddle:", K::MiddleName),    Edit(u"&Last:", K::LastName),
    Edit(u"E-&Mail Address:", K::Email),
};

constexpr std::array kHomeRows = {
    Street(u"Street Address:", K::HomeStreet), Edit(u"City:", K::HomeCity),
    Edit(u"State/Province:", K::HomeState),    Edit(u"Zip/Postal Code:", K::HomeZip),
    Edit(u"Country/Region:", K::HomeCountry),  Phone(u"Phone:", K::HomePhone1, K::HomePhone2),
    Phone(u"Fax:", K::HomeFax1, K::HomeFax2),
};

constexpr std::array kBusinessRows = {
    Edit(u"Company:", K::Company),
    Street(u"Street Address:", K::WorkStreet),
    Edit(u"City:", K::WorkCity),
    Edit(u"State/Province:", K::WorkState),
    Edit(u"Zip/Postal Code:", K::WorkZip),
    Edit(u"Country/Region:", K::WorkCountry),
    Edit(u"Job Title:", K::JobTitle, 1),
    Edit(u"Department:", K::Department, 1),
    Edit(u"Office:", K::Office, 1),
    Phone(u"Phone:", K::WorkPhone1, K::WorkPhone2, 1),
    Phone(u"Fax:", K::WorkFax1, K::WorkFax2, 1),
    Phone(u"Pager:", K::WorkPager1, K::WorkPager2, 1),
    Phone(u"Mobile:", K::WorkMobile1, K::WorkMobile2, 1),
};

}  // namespace

FieldTablePage::FieldTablePage(std::span<const FieldRow> rows, QWidget* parent)
    : IdentityPage(parent) {
    auto* columns = new QHBoxLayout(this);
    std::array<QFormLayout*, 2> forms{};
    // Each column's rows from the top, the free space below them.
    const auto addColumn = [&](std::size_t column) {
        auto* stack = new QVBoxLayout;
        forms[column] = new QFormLayout;
        stack->addLayout(forms[column]);
        stack->addStretch(1);
        columns->addLayout(stack, 1);
    };
    for (const FieldRow& row : rows) {
        const auto column = static_cast<std::size_t>(row.column);
        if (forms[column] == nullptr) {
            addColumn(column);
        }
        QWidget* control = nullptr;
        if (row.multiLine) {
            auto* notes = MakeNotes(this, KeyName(row.key));
            notes->setMaximumHeight(80);
            m_notes[row.key] = notes;
            connect(notes, &QPlainTextEdit::textChanged, this, &FieldTablePage::Store);
            control = notes;
        } else if (row.number) {
            auto* area = MakeEdit(this, KeyName(row.key));
            auto* number = MakeEdit(this, KeyName(*row.number));
            AddEdit(row.key, area);
            AddEdit(*row.number, number);
            control = PhoneRow(this, area, number);
        } else {
            auto* edit = MakeEdit(this, KeyName(row.key));
            AddEdit(row.key, edit);
            control = edit;
        }
        forms[column]->addRow(MakeLabel(this, row.label, Control(row.key)), control);
    }
    Load(nullptr);
}

void FieldTablePage::AddEdit(IdentityKey key, QLineEdit* edit) {
    m_edits[key] = edit;
    connect(edit, &QLineEdit::textChanged, this, &FieldTablePage::Store);
}

QWidget* FieldTablePage::Control(IdentityKey key) const {
    if (const auto edit = m_edits.find(key); edit != m_edits.end()) {
        return edit->second;
    }
    if (const auto notes = m_notes.find(key); notes != m_notes.end()) {
        return notes->second;
    }
    return nullptr;
}

std::u16string FieldTablePage::Text(IdentityKey key) const {
    if (const auto edit = m_edits.find(key); edit != m_edits.end()) {
        return EditText(edit->second);
    }
    if (const auto notes = m_notes.find(key); notes != m_notes.end()) {
        return EditText(notes->second);
    }
    return {};
}

void FieldTablePage::Load(CIdentity* identity) {
    m_identity = identity;
    for (const auto& [key, edit] : m_edits) {
        SetEditText(edit, identity != nullptr ? identity->Get(key) : std::u16string());
    }
    for (const auto& [key, notes] : m_notes) {
        SetEditText(notes, identity != nullptr ? identity->Get(key) : std::u16string());
    }
    setEnabled(identity != nullptr);
}

void FieldTablePage::Store() {
    if (m_identity == nullptr) {
        return;
    }
    for (const auto& [key, edit] : m_edits) {
        m_identity->Set(key, EditText(edit));
    }
    for (const auto& [key, notes] : m_notes) {
        m_identity->Set(key, EditText(notes));
    }
    emit Changed();
}

FieldTablePage* MakeHomePage(QWidget* parent) {
    return new FieldTablePage(kHomeRows, parent);
}

FieldTablePage* MakeBusinessPage(QWidget* parent) {
    return new FieldTablePage(kBusinessRows, parent);
}

NamePage::NamePage(ui::IUserInterface& ui, QWidget* parent)
    : FieldTablePage(kNameRows, parent), m_ui(ui) {}

bool NamePage::CheckLeave() {
    if (!Attached()) {
        return true;
    }
    const auto failure = CheckNamePage(Text(K::FirstName), Text(K::LastName));
    if (!failure) {
        return true;
    }
    m_ui.ShowMessage(failure->message, ui::Buttons::Ok, ui::Icon::Exclamation);
    Control(failure->focus)->setFocus();
    return false;
}

}  // namespace veltrix::editor::identity
