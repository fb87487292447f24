// The User Data page: the three record folders and the export folder, each with Browse..., the two
// export choices and Export....
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <functional>

#include "editor/options/user_data_page.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace veltrix::editor::options {

class CPropSheetOptions;

// Shows a folder chooser titled `title` starting at `start` over `parent`; empty when nothing was
// chosen.
using FolderChooser =
    std::function<QString(QWidget* parent, const QString& title, const QString& start)>;

class UserDataPageWidget : public QWidget, public IUserDataView {
    Q_OBJECT

public:
    UserDataPageWidget(CPropSheetOptions& sheet, QWidget* parent = nullptr);

    void Show(const UserDataValues& values) override;
    UserDataValues Read() const override;
    std::optional<std::u16string> ChooseFolder(std::u16string_view title,
                                               std::u16string_view start) override;
    void ShowFolder(FolderField field, std::u16string_view text) override;

    // Replaces the desktop's folder chooser (tests, scripted runs).
    void SetFolderChooser(FolderChooser chooser) { m_chooser = std::move(chooser); }

    QLineEdit* FolderEdit(FolderField field) const;
    QPushButton* BrowseButton(FolderField field) const;
    QPushButton* ExportButton() const { return m_export; }

private:
    CPropSheetOptions& m_sheet;
    std::array<QLineEdit*, kFolderFieldCount> m_folders{};
    std::array<QPushButton*, kFolderFieldCount> m_browse{};
    QCheckBox* m_changePassword;
    QCheckBox* m_device;
    QPushButton* m_export;
    FolderChooser m_chooser;
};

}  // namespace veltrix::editor::options
