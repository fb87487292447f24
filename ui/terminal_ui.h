// The UI port in a terminal: messages go to standard error, questions and password prompts are
// asked on the controlling terminal (passwords without echo). A password given in advance (from a
// file) answers the first prompt instead of the terminal.
#pragma once

#include <optional>
#include <string>

#include "ui/ui_port.h"

namespace veltrix::ui {

class TerminalUi : public IUserInterface {
public:
    // Installs itself as the process's UI for its lifetime.
    TerminalUi();
    ~TerminalUi() override;
    TerminalUi(const TerminalUi&) = delete;
    TerminalUi& operator=(const TerminalUi&) = delete;

    // The first password prompt returns `password` without asking; later prompts are cancelled,
    // so that a wrong password from a file ends the operation instead of asking again.
    void AnswerPasswordWith(std::u16string password);

    Answer ShowMessage(std::u16string_view text, Buttons buttons, Icon icon) override;
    std::optional<std::u16string> PromptPassword(PasswordPrompt prompt) override;
    // The terminal's bell on standard error. The terminal has no clipboard.
    void Beep(Icon icon) override;

private:
    std::optional<std::u16string> ReadHidden(std::u16string_view label);

    std::optional<std::u16string> m_presetPassword;
    bool m_presetMode = false;
    IUserInterface* m_previous;
};

}  // namespace veltrix::ui
