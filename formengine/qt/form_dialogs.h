// The dialogs of the browser form engine in Qt: the modeless Fill Identity and Fill Web Login
// prompts, which report their buttons to a handler and are hidden by it, and the modal Save Web
// Login dialog.
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>
#include <string_view>

#include "formengine/views/form_prompts.h"
#include "ui/ui_port.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace veltrix::formviews::qt {

// Object names of the dialogs' parts, for code that drives the dialogs (tests, automation).
inline constexpr char kFormTextName[] = "text";
inline constexpr char kIdentityComboName[] = "identity";
inline constexpr char kCreditCardComboName[] = "creditCard";
inline constexpr char kBankAccountComboName[] = "bankAccount";
inline constexpr char kWebLoginComboName[] = "webLogin";
inline constexpr char kWebLoginNameEditName[] = "webLoginName";
inline constexpr char kFormYesButtonName[] = "yes";
inline constexpr char kFormNoButtonName[] = "no";
inline constexpr char kFormExcludeButtonName[] = "exclude";
inline constexpr char kFormHelpButtonName[] = "help";

// What the two prompts share: a window that floats over the browser, shown at a given place
// with or without the focus. Closing it with the title bar, or Escape, acts as No.
class CFormPromptDlg : public QDialog {
    Q_OBJECT

public:
    void reject() override;

protected:
    // The window captioned `caption` with the static text `text` at its top. The prompt then adds
    // its groups and closes the layout with AddButtonRow.
    CFormPromptDlg(IPromptHandler& handler, std::u16string_view caption, std::u16string_view text,
                   int helpContext);

    // A combo box of fixed width inside a group box titled `title`, added below the last part.
    QComboBox* AddChoiceGroup(std::u16string_view title, const char* name);
    // "&Yes" (default), "No", "Exclude" and "Help" in one row; fixes the window's size.
    void AddButtonRow();

    ui::ScreenRect PromptSize() const { return {0, 0, width(), height()}; }
    void ShowPromptAt(std::int32_t x, std::int32_t y, bool activate);

private:
    IPromptHandler& m_handler;
    int m_helpContext;
};

class CFillIdentityDlg final : public CFormPromptDlg, public IFillIdentityPrompt {
    Q_OBJECT

public:
    explicit CFillIdentityDlg(IFillIdentityPromptHandler& handler);

    ui::ScreenRect Size() const override { return PromptSize(); }
    void ShowAt(std::int32_t x, std::int32_t y, bool activate) override {
        ShowPromptAt(x, y, activate);
    }
    void Hide() override { hide(); }
    bool IsVisible() const override { return isVisible(); }

    void SetIdentities(const ChoiceList& list) override;
    void SetCreditCards(const ChoiceList& list) override;
    void SetBankAccounts(const ChoiceList& list) override;
    std::u16string SelectedIdentity() const override;
    std::u16string SelectedCreditCard() const override;
    std::u16string SelectedBankAccount() const override;

private:
    QComboBox* m_identities;
    QComboBox* m_creditCards;
    QComboBox* m_bankAccounts;
};

class CFillWebLoginDlg final : public CFormPromptDlg, public IFillWebLoginPrompt {
    Q_OBJECT

public:
    explicit CFillWebLoginDlg(IPromptHandler& handler);

    ui::ScreenRect Size() const override { return PromptSize(); }
    void ShowAt(std::int32_t x, std::int32_t y, bool activate) override {
        ShowPromptAt(x, y, activate);
    }
    void Hide() override { hide(); }
    bool IsVisible() const override { return isVisible(); }

    void SetWebLogins(const ChoiceList& list) override;
    std::u16string SelectedWebLogin() const override;

private:
    QComboBox* m_webLogins;
};

// The Save Web Login dialog: the name to save under, and Yes (default), No, Exclude and Help.
// Closing it otherwise answers No.
class CSaveWebLoginDlg : public QDialog {
    Q_OBJECT

public:
    explicit CSaveWebLoginDlg(std::u16string_view name, QWidget* parent = nullptr);

    // The button that closed the dialog.
    SaveWebLoginAnswer Answer() const { return m_answer; }
    // The name as the user left it.
    std::u16string Name() const;

    // Yes.
    void accept() override;
    // No, also for Escape and the title bar's close button.
    void reject() override;

private:
    QLineEdit* m_name;
    SaveWebLoginAnswer m_answer = SaveWebLoginAnswer::No;
};

}  // namespace veltrix::formviews::qt
