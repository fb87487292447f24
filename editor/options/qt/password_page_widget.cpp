#include "editor/options/qt/password_page_widget.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/options/options_sheet.h"
#include "editor/options/options_texts.h"
#include "ui/qt/qt_support.h"

namespace veltrix::editor::options {
namespace {

QLineEdit* HiddenField(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setEchoMode(QLineEdit::Password);
    edit->setMaxLength(kMaxPasswordLength);
    return edit;
}

}  // namespace

PasswordPageWidget::PasswordPageWidget(CPropSheetOptions& sheet, QWidget* parent)
    : QWidget(parent),
      m_sheet(sheet),
      m_idle(new QLineEdit(this)),
      m_new(HiddenField("newPassword", this)),
      m_confirm(HiddenField("confirmPassword", this)),
      m_change(new QPushButton(tr("Change &Master Password ..."), this)) {
    m_idle->setObjectName("idleMinutes");
    m_change->setObjectName("changeMasterPassword");
    m_change->setAutoDefault(false);
    auto* form = new QFormLayout;
    form->addRow(tr("&Idle auto-logoff time (minutes):"), m_idle);
    form->addRow(tr("&New master password:"), m_new);
    form->addRow(tr("Confi&rm new password:"), m_confirm);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(m_change);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttonRow);
    layout->addStretch();
    UpdateChangeEnabling();

    for (QLineEdit* edit : {m_idle, m_new, m_confirm}) {
        connect(edit, &QLineEdit::textEdited, this, [this] { m_sheet.MarkChanged(); });
    }
    for (QLineEdit* edit : {m_new, m_confirm}) {
        connect(edit, &QLineEdit::textChanged, this, [this] { UpdateChangeEnabling(); });
    }
    connect(m_change, &QPushButton::clicked, this,
            [this] { m_sheet.Password().ChangeMasterPassword(); });
}

void PasswordPageWidget::ShowIdle(int minutes) {
    m_idle->setText(QString::number(minutes));
}

PasswordValues PasswordPageWidget::Read() const {
    return {ui::qt::FromQString(m_idle->text()), ui::qt::FromQString(m_new->text()),
            ui::qt::FromQString(m_confirm->text())};
}

void PasswordPageWidget::ClearPasswords() {
    m_new->clear();
    m_confirm->clear();
    m_change->setEnabled(false);
}

void PasswordPageWidget::UpdateChangeEnabling() {
    m_change->setEnabled(CanChangePassword(ui::qt::FromQString(m_new->text()),
                                           ui::qt::FromQString(m_confirm->text())));
}

}  // namespace veltrix::editor::options
