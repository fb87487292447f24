#include "editor/identity/name_prompt_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/qt/qt_support.h"

namespace veltrix::editor::identity {

using ui::qt::FromQString;
using ui::qt::ToQString;

NamePromptDialog::NamePromptDialog(std::u16string_view caption, std::u16string_view prompt,
                                   QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(ToQString(caption));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(ToQString(prompt), this);
    m_name = new QLineEdit(this);
    label->setBuddy(m_name);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setEnabled(false);
    layout->addWidget(label);
    layout->addWidget(m_name);
    layout->addWidget(buttons);
    connect(m_name, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_ok->setEnabled(!text.isEmpty()); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    setMinimumWidth(320);
}

std::u16string NamePromptDialog::Name() const {
    return FromQString(m_name->text());
}

std::optional<std::u16string> DialogNamePrompt::AskName(std::u16string_view caption,
                                                        std::u16string_view prompt) {
    NamePromptDialog dialog(caption, prompt, m_parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Name();
}

}  // namespace veltrix::editor::identity
