#include "editor/exports/qt/qt_export_views.h"

#include <QDir>
#include <QFileDialog>

#include "ui/qt/password_dialogs.h"
#include "ui/qt/qt_support.h"

namespace veltrix::editor::exports::qt {

std::optional<std::u16string> QtExportViews::ChoosePassword(std::u16string_view prompt) {
    // A fresh dialog each time: both entries start empty.
    ui::qt::CChoosePasswordDlg dialog(m_parent, ui::qt::CChoosePasswordDlg::Variant::OtherPassword);
    dialog.SetPrompt(prompt);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Password();
}

std::optional<std::u16string> QtExportViews::ChooseFolder(std::u16string_view title,
                                                          std::u16string_view start) {
    const QString folder = start.empty() ? QDir::currentPath() : ui::qt::ToQString(start);
    QFileDialog dialog(m_parent, ui::qt::ToQString(title), folder);
    dialog.setObjectName(kFolderBrowserName);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return ui::qt::FromQString(dialog.selectedFiles().first());
}

}  // namespace veltrix::editor::exports::qt
