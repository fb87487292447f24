#include "editor/identity/sub_record_page_widget.h"

#include <QHBoxLayout>
#include <QSignalBlocker>

#include "ui/qt/qt_support.h"

namespace veltrix::editor::identity {

using ui::qt::ToQString;

SubRecordPageBase::SubRecordPageBase(QWidget* parent) : IdentityPage(parent) {}

QWidget* SubRecordPageBase::MakeNameRow(std::u16string_view nameKey) {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_names = MakeList(row, nameKey);
    m_names->setMinimumWidth(160);
    m_new = new QPushButton(QStringLiteral("New..."), row);
    m_rename = new QPushButton(QStringLiteral("Rename..."), row);
    m_delete = new QPushButton(QStringLiteral("Delete"), row);
    const QString key = ToQString(nameKey);
    m_new->setObjectName(key + QStringLiteral("New"));
    m_rename->setObjectName(key + QStringLiteral("Rename"));
    m_delete->setObjectName(key + QStringLiteral("Delete"));
    layout->addWidget(m_names, 1);
    layout->addWidget(m_new);
    layout->addWidget(m_rename);
    layout->addWidget(m_delete);

    connect(m_names, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) {
            Select(static_cast<std::size_t>(index));
            Refresh(true);
        }
    });
    connect(m_new, &QPushButton::clicked, this, [this] { AfterListChange(NewRecord()); });
    connect(m_rename, &QPushButton::clicked, this, [this] { AfterListChange(RenameRecord()); });
    connect(m_delete, &QPushButton::clicked, this, [this] { AfterListChange(DeleteRecord()); });
    return row;
}

void SubRecordPageBase::AfterListChange(bool changed) {
    if (changed) {
        Refresh(true);
        emit Changed();
    }
}

void SubRecordPageBase::Refresh(bool showFields) {
    {
        const QSignalBlocker blocker(m_names);
        m_names->clear();
        for (const std::u16string& name : Names()) {
            m_names->addItem(ToQString(name));
        }
        const std::optional<std::size_t> selection = Selection();
        m_names->setCurrentIndex(selection ? static_cast<int>(*selection) : -1);
        m_rename->setEnabled(selection.has_value());
        m_delete->setEnabled(selection.has_value());
    }
    if (showFields) {
        ShowFields();
    }
}

void SubRecordPageBase::OnEdit() {
    // Showing the fields after a refused New is itself no edit of the user's.
    if (m_editing) {
        return;
    }
    m_editing = true;
    const bool hadSelection = Selection().has_value();
    if (StoreFields()) {
        if (!hadSelection) {
            Refresh(false);
        }
        emit Changed();
    } else if (!hadSelection) {
        ShowFields();
    }
    m_editing = false;
}

}  // namespace veltrix::editor::identity
