// The name prompt: one edit under a prompt, "New %s" / "Type a name for the new %s" unless the
// caller sets its own texts; OK is enabled only while the edit is not empty, unless the caller
// allows an empty text.
#pragma once

#include <QDialog>
#include <optional>
#include <string>
#include <string_view>

class QLabel;
class QLineEdit;
class QPushButton;

namespace veltrix::editor::qt {

class CNamePromptDlg : public QDialog {
    Q_OBJECT

public:
    // The caption and prompt for a new record of the kind named by `kindWord`.
    CNamePromptDlg(std::u16string_view kindWord, QWidget* parent = nullptr);

    void SetTexts(std::u16string_view caption, std::u16string_view prompt);
    // Lets OK accept an empty edit (for texts that may be emptied, such as a field's data).
    void SetEmptyAllowed(bool allowed);
    std::u16string Name() const;
    QLineEdit* Edit() const { return m_edit; }
    QPushButton* OkButton() const { return m_ok; }

private:
    QLabel* m_prompt;
    QLineEdit* m_edit;
    QPushButton* m_ok;
    bool m_emptyAllowed = false;
};

// Shows the prompt for a new record of `kindWord`; the name, or nullopt on Cancel.
std::optional<std::u16string> AskName(QWidget* parent, std::u16string_view kindWord);

}  // namespace veltrix::editor::qt
