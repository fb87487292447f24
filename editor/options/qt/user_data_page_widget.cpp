#include "editor/options/qt/user_data_page_widget.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/options/options_sheet.h"
#include "ui/qt/qt_support.h"

namespace veltrix::editor::options {
namespace {

QString DesktopFolderChooser(QWidget* parent, const QString& title, const QString& start) {
    return QFileDialog::getExistingDirectory(parent, title, start, QFileDialog::ShowDirsOnly);
}

}  // namespace

UserDataPageWidget::UserDataPageWidget(CPropSheetOptions& sheet, QWidget* parent)
    : QWidget(parent),
      m_sheet(sheet),
      m_changePassword(new QCheckBox(tr("Change &password for exported files"), this)),
      m_device(new QCheckBox(tr("Export to removeable &device (Veltrix Portable)"), this)),
      m_export(new QPushButton(tr("Expo&rt..."), this)),
      m_chooser(DesktopFolderChooser) {
    const QString labels[kFolderFieldCount] = {tr("&Identities Folder:"), tr("&Web Logins Folder:"),
                                               tr("&Secure Notes Folder:"),
                                               tr("Export &To Folder:")};
    const char* names[kFolderFieldCount] = {"identitiesFolder", "webLoginsFolder",
                                            "secureNotesFolder", "exportToFolder"};
    auto* grid = new QGridLayout;
    for (std::size_t i = 0; i < kFolderFieldCount; ++i) {
        const auto field = static_cast<FolderField>(i);
        auto* label = new QLabel(labels[i], this);
        m_folders[i] = new QLineEdit(this);
        m_folders[i]->setObjectName(names[i]);
        label->setBuddy(m_folders[i]);
        m_browse[i] = new QPushButton(tr("Browse..."), this);
        m_browse[i]->setObjectName(QString::fromLatin1(names[i]) + "Browse");
        m_browse[i]->setAutoDefault(false);
        const int row = static_cast<int>(i);
        grid->addWidget(label, row, 0);
        grid->addWidget(m_folders[i], row, 1);
        grid->addWidget(m_browse[i], row, 2);
        connect(m_folders[i], &QLineEdit::textEdited, this, [this] { m_sheet.MarkChanged(); });
        connect(m_browse[i], &QPushButton::clicked, this,
                [this, field] { m_sheet.UserData().BrowseFolder(field); });
    }
    m_changePassword->setObjectName("changePassword");
    m_device->setObjectName("exportToDevice");
    m_export->setObjectName("exportAll");
    m_export->setAutoDefault(false);
    auto* exportRow = new QHBoxLayout;
    exportRow->addStretch();
    exportRow->addWidget(m_export);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_changePassword);
    layout->addWidget(m_device);
    layout->addLayout(exportRow);
    layout->addStretch();

    for (QCheckBox* check : {m_changePassword, m_device}) {
        connect(check, &QCheckBox::clicked, this, [this] { m_sheet.MarkChanged(); });
    }
    connect(m_export, &QPushButton::clicked, this, [this] { m_sheet.UserData().ExportAll(); });
}

QLineEdit* UserDataPageWidget::FolderEdit(FolderField field) const {
    return m_folders[static_cast<std::size_t>(field)];
}

QPushButton* UserDataPageWidget::BrowseButton(FolderField field) const {
    return m_browse[static_cast<std::size_t>(field)];
}

void UserDataPageWidget::Show(const UserDataValues& values) {
    for (std::size_t i = 0; i < kFolderFieldCount; ++i) {
        m_folders[i]->setText(ui::qt::ToQString(values.folders[i]));
    }
    m_changePassword->setChecked(values.changePassword);
    m_device->setChecked(values.device);
}

UserDataValues UserDataPageWidget::Read() const {
    UserDataValues values;
    for (std::size_t i = 0; i < kFolderFieldCount; ++i) {
        values.folders[i] = ui::qt::FromQString(m_folders[i]->text());
    }
    values.changePassword = m_changePassword->isChecked();
    values.device = m_device->isChecked();
    return values;
}

std::optional<std::u16string> UserDataPageWidget::ChooseFolder(std::u16string_view title,
                                                               std::u16string_view start) {
    const QString chosen = m_chooser(this, ui::qt::ToQString(title), ui::qt::ToQString(start));
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return ui::qt::FromQString(chosen);
}

void UserDataPageWidget::ShowFolder(FolderField field, std::u16string_view text) {
    FolderEdit(field)->setText(ui::qt::ToQString(text));
}

}  // namespace veltrix::editor::options
