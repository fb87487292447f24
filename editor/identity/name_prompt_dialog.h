// The name prompt: one edit under a prompt, OK enabled only while the edit is not empty. Asks for
// the names of credit cards and bank accounts unless the program plugs in a prompt of its own.
#pragma once

#include <QDialog>

#include "editor/identity/sub_records.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace veltrix::editor::identity {

class NamePromptDialog : public QDialog {
    Q_OBJECT

public:
    NamePromptDialog(std::u16string_view caption, std::u16string_view prompt,
                     QWidget* parent = nullptr);

    std::u16string Name() const;
    QLineEdit* NameEdit() const { return m_name; }

private:
    QLineEdit* m_name;
    QPushButton* m_ok;
};

// Asks through a NamePromptDialog over `parent`.
class DialogNamePrompt : public INamePrompt {
public:
    explicit DialogNamePrompt(QWidget* parent) : m_parent(parent) {}
    std::optional<std::u16string> AskName(std::u16string_view caption,
                                          std::u16string_view prompt) override;

private:
    QWidget* m_parent;
};

}  // namespace veltrix::editor::identity
