#include "editor/qt/name_prompt_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/editor_messages.h"
#include "platform/text.h"
#include "ui/qt/qt_support.h"

namespace veltrix::editor::qt {

using ui::qt::FromQString;
using ui::qt::ToQString;

CNamePromptDlg::CNamePromptDlg(std::u16string_view kindWord, QWidget* parent)
    : QDialog(parent),
      m_prompt(new QLabel(this)),
      m_edit(new QLineEdit(this)),
      m_ok(new QPushButton(tr("OK"), this)) {
    auto* cancel = new QPushButton(tr("Cancel"), this);
    m_ok->setDefault(true);
    m_ok->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_prompt);
    layout->addWidget(m_edit);
    layout->addLayout(buttons);
    SetTexts(text::ReplaceFirst(messages::kNewCaption, u"%s", kindWord),
             text::ReplaceFirst(messages::kNewPrompt, u"%s", kindWord));
    connect(m_edit, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_ok->setEnabled(m_emptyAllowed || !text.isEmpty()); });
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    setMinimumWidth(300);
}

void CNamePromptDlg::SetTexts(std::u16string_view caption, std::u16string_view prompt) {
    setWindowTitle(ToQString(caption));
    m_prompt->setText(ToQString(prompt));
}

void CNamePromptDlg::SetEmptyAllowed(bool allowed) {
    m_emptyAllowed = allowed;
    m_ok->setEnabled(m_emptyAllowed || !m_edit->text().isEmpty());
}

std::u16string CNamePromptDlg::Name() const {
    return FromQString(m_edit->text());
}

std::optional<std::u16string> AskName(QWidget* parent, std::u16string_view kindWord) {
    CNamePromptDlg dialog(kindWord, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Name();
}

}  // namespace veltrix::editor::qt
