// The Password page: the idle time and the two hidden password fields with "Change Master
// Password ...".
#pragma once

#include <QWidget>

#include "editor/options/password_page.h"

class QLineEdit;
class QPushButton;

namespace veltrix::editor::options {

class CPropSheetOptions;

class PasswordPageWidget : public QWidget, public IPasswordView {
    Q_OBJECT

public:
    PasswordPageWidget(CPropSheetOptions& sheet, QWidget* parent = nullptr);

    void ShowIdle(int minutes) override;
    PasswordValues Read() const override;
    void ClearPasswords() override;

    QLineEdit* IdleEdit() const { return m_idle; }
    QLineEdit* NewPasswordEdit() const { return m_new; }
    QLineEdit* ConfirmEdit() const { return m_confirm; }
    QPushButton* ChangeButton() const { return m_change; }

private:
    void UpdateChangeEnabling();

    CPropSheetOptions& m_sheet;
    QLineEdit* m_idle;
    QLineEdit* m_new;
    QLineEdit* m_confirm;
    QPushButton* m_change;
};

}  // namespace veltrix::editor::options
