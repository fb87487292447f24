// CPropPagePassword: the idle time before the master password is forgotten (AutoLogoff), and the
// two fields that start the master-password change.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/configuration.h"
#include "editor/exports/bulk_commands.h"
#include "editor/options/options_page.h"
#include "ui/ui_port.h"

namespace veltrix::editor::options {

struct PasswordValues {
    std::u16string idleText;
    std::u16string newPassword;
    std::u16string confirmation;
};

// "Change Master Password ..." is enabled exactly when both texts have at least 4 characters and
// are equal (case-sensitive).
bool CanChangePassword(std::u16string_view newPassword, std::u16string_view confirmation);

// The idle minutes of `text`, or the message that refuses it ("Please enter an integer." or the
// range message with its limits filled in).
struct IdleParse {
    std::optional<int> minutes;
    std::u16string refusal;
};
IdleParse ParseIdleMinutes(std::u16string_view text);

class IPasswordView {
public:
    virtual ~IPasswordView() = default;
    virtual void ShowIdle(int minutes) = 0;
    virtual PasswordValues Read() const = 0;
    // Empties both password fields and disables "Change Master Password ...".
    virtual void ClearPasswords() = 0;
};

class CPropPagePassword : public COptionsPage {
public:
    CPropPagePassword(config::Settings& settings, ui::IUserInterface& ui)
        : m_settings(settings), m_ui(ui) {}

    void Attach(IPasswordView* view);
    // "Change Master Password ..." runs through these (not owned); null: the button does nothing.
    void SetBulkCommands(IBulkCommands* commands) { m_commands = commands; }

    void Load() override;
    // Refuses an idle text that is not a whole number from 0 to 65535, and a change to 0 that the
    // user does not confirm; otherwise writes AutoLogoff and asks the session for the password,
    // which restarts the idle timer with the new value.
    bool Apply() override;
    int HelpTopic() const override;
    bool IsCreated() const override { return m_view != nullptr; }
    // An idle text that is not a whole number from 0 to 65535 is refused here already.
    bool LeaveCheck() override;

    // "Change Master Password ...": after a change that ran, both fields are emptied.
    void ChangeMasterPassword();
    int IdleMinutes() const { return m_idle; }

private:
    config::Settings& m_settings;
    ui::IUserInterface& m_ui;
    IPasswordView* m_view = nullptr;
    IBulkCommands* m_commands = nullptr;
    int m_idle = 0;
};

}  // namespace veltrix::editor::options
