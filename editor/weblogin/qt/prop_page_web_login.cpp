#include "editor/weblogin/qt/prop_page_web_login.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

#include "editor/weblogin/field_rows.h"
#include "editor/weblogin/page_values.h"
#include "editor/weblogin/web_login_texts.h"
#include "formengine/helper/browser_launch.h"
#include "ui/qt/qt_support.h"

namespace veltrix::editor {

using ui::qt::FromQString;
using ui::qt::ToQString;
using namespace weblogin;

namespace {

constexpr int kFieldIndexRole = Qt::UserRole;
constexpr int kNameColumn = 0;
constexpr int kDataColumn = 1;
constexpr int kTypeColumn = 2;

QLabel* BuddyLabel(std::u16string_view text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(ToQString(text), parent);
    label->setBuddy(buddy);
    return label;
}

QTableWidgetItem* CellItem(const std::u16string& text) {
    auto* item = new QTableWidgetItem(ToQString(text));
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

}  // namespace

CPropPageWebLogin::CPropPageWebLogin(ui::IUserInterface& ui, QWidget* parent)
    : QWidget(parent),
      m_ui(ui),
      m_opener([](std::u16string_view address) { (void)LaunchBrowser(address); }) {
    BuildControls();
    connect(m_address, &QLineEdit::textChanged, this, &CPropPageWebLogin::StoreValues);
    connect(m_notes, &QPlainTextEdit::textChanged, this, &CPropPageWebLogin::StoreValues);
    connect(m_noAutoSubmit, &QCheckBox::toggled, this, &CPropPageWebLogin::StoreValues);
    connect(m_fields, &QTableWidget::itemSelectionChanged, this,
            &CPropPageWebLogin::UpdateEditButton);
    connect(m_fields, &QTableWidget::cellDoubleClicked, this,
            [this](int, int) { EditSelectedField(); });
    connect(m_fields, &QWidget::customContextMenuRequested, this,
            &CPropPageWebLogin::ShowFieldMenu);
    connect(m_edit, &QPushButton::clicked, this, &CPropPageWebLogin::EditSelectedField);
    connect(m_open, &QPushButton::clicked, this, &CPropPageWebLogin::OpenAddress);
    Attach(nullptr);
}

void CPropPageWebLogin::BuildControls() {
    m_address = new QLineEdit(this);
    m_notes = new QPlainTextEdit(this);
    m_noAutoSubmit = new QCheckBox(ToQString(kNoAutoSubmitLabel), this);
    m_fields = new QTableWidget(0, static_cast<int>(kColumns.size()), this);
    m_open = new QPushButton(ToQString(kOpenButton), this);
    m_edit = new QPushButton(ToQString(kEditButton), this);
    m_address->setObjectName(kAddressName);
    m_notes->setObjectName(kNotesName);
    m_noAutoSubmit->setObjectName(kNoAutoSubmitName);
    m_fields->setObjectName(kFieldListName);
    m_open->setObjectName(kOpenName);
    m_edit->setObjectName(kEditName);
    for (QPushButton* button : {m_open, m_edit}) {
        button->setAutoDefault(false);
    }

    QStringList captions;
    for (std::size_t column = 0; column < kColumns.size(); ++column) {
        captions << ToQString(kColumns[column].caption);
    }
    m_fields->setHorizontalHeaderLabels(captions);
    for (std::size_t column = 0; column < kColumns.size(); ++column) {
        m_fields->setColumnWidth(static_cast<int>(column), kColumns[column].width);
    }
    m_fields->horizontalHeader()->setStretchLastSection(false);
    m_fields->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_fields->verticalHeader()->hide();
    // Rows as compact as a report-style list's.
    m_fields->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_fields->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_fields->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_fields->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_fields->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_fields->setShowGrid(true);
    m_fields->setWordWrap(false);
    m_fields->setContextMenuPolicy(Qt::CustomContextMenu);
    m_fields->installEventFilter(this);

    auto* layout = new QGridLayout(this);
    layout->addWidget(BuddyLabel(kUrlLabel, m_address, this), 0, 0);
    layout->addWidget(m_address, 0, 1);
    layout->addWidget(m_open, 0, 2);
    layout->addWidget(BuddyLabel(kFormDataLabel, m_fields, this), 1, 0, 1, 3);
    layout->addWidget(m_fields, 2, 0, 1, 3);
    layout->addWidget(m_noAutoSubmit, 3, 0, 1, 2);
    layout->addWidget(m_edit, 3, 2);
    layout->addWidget(BuddyLabel(kNotesLabel, m_notes, this), 4, 0, 1, 3);
    layout->addWidget(m_notes, 5, 0, 1, 3);
    layout->setRowStretch(2, 3);
    layout->setRowStretch(5, 1);
    layout->setColumnStretch(1, 1);
    setFocusProxy(m_address);
}

void CPropPageWebLogin::Attach(CWebLogin* login) {
    m_login = login;
    ++m_attachments;
    setEnabled(login != nullptr);
    Load();
}

void CPropPageWebLogin::Load() {
    m_loading = true;
    const PageValues values = m_login != nullptr ? LoadPageValues(*m_login) : PageValues{};
    m_address->setText(ToQString(values.address));
    m_notes->setPlainText(ToQString(values.notes));
    m_noAutoSubmit->setChecked(values.noAutoSubmit);
    FillFieldList();
    m_edit->setEnabled(false);
    m_loading = false;
}

void CPropPageWebLogin::FillFieldList() {
    m_fields->clearSelection();
    m_fields->setRowCount(0);
    if (m_login == nullptr) {
        return;
    }
    for (const FieldRow& row : FieldRows(*m_login)) {
        const int at = m_fields->rowCount();
        m_fields->insertRow(at);
        auto* name = CellItem(row.name);
        name->setData(kFieldIndexRole, QVariant::fromValue<qulonglong>(row.fieldIndex));
        m_fields->setItem(at, kNameColumn, name);
        m_fields->setItem(at, kDataColumn, CellItem(row.data));
        m_fields->setItem(at, kTypeColumn, CellItem(row.type));
    }
}

void CPropPageWebLogin::StoreValues() {
    if (m_loading || m_login == nullptr) {
        return;
    }
    StorePageValues(*m_login, {FromQString(m_address->text()), FromQString(m_notes->toPlainText()),
                               m_noAutoSubmit->isChecked()});
    emit Changed();
}

void CPropPageWebLogin::UpdateEditButton() {
    const int selected = static_cast<int>(m_fields->selectionModel()->selectedRows().size());
    m_edit->setEnabled(!m_loading && EditEnabled(selected));
}

int CPropPageWebLogin::FirstSelectedRow() const {
    int first = -1;
    for (const QModelIndex& index : m_fields->selectionModel()->selectedRows()) {
        if (first < 0 || index.row() < first) {
            first = index.row();
        }
    }
    return first;
}

CWebLoginField* CPropPageWebLogin::FieldOfRow(int row) const {
    const QTableWidgetItem* item = row >= 0 ? m_fields->item(row, kNameColumn) : nullptr;
    if (m_login == nullptr || item == nullptr) {
        return nullptr;
    }
    const auto index = item->data(kFieldIndexRole).toULongLong();
    auto& fields = m_login->Fields();
    return index < fields.size() ? &fields[index] : nullptr;
}

void CPropPageWebLogin::EditSelectedField() {
    const int row = FirstSelectedRow();
    const CWebLoginField* field = FieldOfRow(row);
    if (field == nullptr) {
        return;
    }
    // The dialog runs an event loop in which the right pane may close the record (the session
    // ends): the edit works on a copy and lands only in the record still shown.
    CWebLoginField edited = *field;
    const unsigned attachment = m_attachments;
    IFieldDataPrompt& prompt = m_plugged != nullptr ? *m_plugged : m_dialogPrompt;
    const auto cell =
        EditFieldData(edited, FromQString(m_fields->item(row, kNameColumn)->text()), prompt, m_ui);
    CWebLoginField* target = attachment == m_attachments ? FieldOfRow(row) : nullptr;
    if (!cell || target == nullptr) {
        return;
    }
    *target = std::move(edited);
    m_fields->item(row, kDataColumn)->setText(ToQString(*cell));
    emit Changed();
}

void CPropPageWebLogin::CopySelectedField() {
    if (const CWebLoginField* field = FieldOfRow(FirstSelectedRow())) {
        (void)CopyFieldData(*field, m_ui);
    }
}

void CPropPageWebLogin::OpenAddress() {
    if (m_opener) {
        m_opener(FromQString(m_address->text()));
    }
}

std::unique_ptr<QMenu> CPropPageWebLogin::FieldMenuAt(const QPoint& pos) {
    if (!m_edit->isEnabled() || m_fields->itemAt(pos) == nullptr) {
        return nullptr;
    }
    auto menu = std::make_unique<QMenu>(this);
    connect(menu->addAction(ToQString(kMenuEdit)), &QAction::triggered, this,
            &CPropPageWebLogin::EditSelectedField);
    connect(menu->addAction(ToQString(kMenuCopy)), &QAction::triggered, this,
            &CPropPageWebLogin::CopySelectedField);
    return menu;
}

void CPropPageWebLogin::ShowFieldMenu(const QPoint& pos) {
    if (auto menu = FieldMenuAt(pos)) {
        menu->exec(m_fields->viewport()->mapToGlobal(pos));
    }
}

bool CPropPageWebLogin::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_fields && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            EditSelectedField();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace veltrix::editor
