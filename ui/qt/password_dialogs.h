// The master-password prompts: CEnterPasswordDlg when records exist, CChoosePasswordDlg on first
// use (and, configured differently, the editor's prompt for a password other than the master
// password). Both hold at most 56 masked characters and enable OK only for an acceptable entry.
#pragma once

#include <QDialog>
#include <string>
#include <string_view>

class QLabel;
class QLineEdit;
class QPushButton;

namespace veltrix::ui::qt {

// Object names of the dialogs' parts, for code that drives the dialogs (tests, automation).
inline constexpr char kPromptLabelName[] = "prompt";
inline constexpr char kPasswordEditName[] = "password";
inline constexpr char kConfirmEditName[] = "confirm";
inline constexpr char kOkButtonName[] = "ok";
inline constexpr char kCancelButtonName[] = "cancel";
inline constexpr char kHelpButtonName[] = "help";

class CEnterPasswordDlg : public QDialog {
    Q_OBJECT

public:
    explicit CEnterPasswordDlg(QWidget* parent = nullptr);

    // The text typed; meaningful once the dialog was accepted.
    std::u16string Password() const;

    // Closes with the text only when it is acceptable (OK is disabled otherwise).
    void accept() override;

private:
    void UpdateOk();

    QLineEdit* m_password;
    QPushButton* m_ok;
};

class CChoosePasswordDlg : public QDialog {
    Q_OBJECT

public:
    enum class Variant {
        MasterPassword,  // "Choose Veltrix Password", the session's first-use prompt
        OtherPassword,   // "Choose Password", the editor's prompt (export under another password)
    };

    explicit CChoosePasswordDlg(QWidget* parent = nullptr,
                                Variant variant = Variant::MasterPassword);

    void SetTitle(std::u16string_view title);
    // The label above the first edit.
    void SetPrompt(std::u16string_view prompt);

    // The chosen text; meaningful once the dialog was accepted.
    std::u16string Password() const;

    // OK: when the two entries differ, says so and stays open; closes only with an acceptable,
    // confirmed text.
    void accept() override;

private:
    void UpdateOk();

    QLabel* m_prompt;
    QLineEdit* m_password;
    QLineEdit* m_confirm;
    QPushButton* m_ok;
};

}  // namespace veltrix::ui::qt
