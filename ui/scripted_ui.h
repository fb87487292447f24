// The UI port for tests: answers come from queues, and every message and prompt shown is recorded.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "ui/ui_port.h"

namespace veltrix::ui {

class ScriptedUi : public IUserInterface {
public:
    struct Message {
        std::u16string text;
        Buttons buttons;
        Icon icon;
        std::u16string caption{kCaption};
    };

    // Installs itself as the process's UI for its lifetime.
    ScriptedUi();
    ~ScriptedUi() override;

    // The next message box is answered with `answer`. With the queue empty a box answers OK when
    // it has an OK button, else Cancel or No.
    void QueueAnswer(Answer answer) { m_answers.push_back(answer); }
    // The next password prompt returns `password` (nullopt: Cancel). With the queue empty a prompt
    // is cancelled.
    void QueuePassword(std::optional<std::u16string> password) { m_passwords.push_back(password); }

    const std::vector<Message>& Messages() const { return m_messages; }
    const std::vector<PasswordPrompt>& Prompts() const { return m_prompts; }
    // The clipboard's text (nullopt: nothing was put on it) and the beeps sounded, in order.
    const std::optional<std::u16string>& ClipboardText() const { return m_clipboard; }
    const std::vector<Icon>& Beeps() const { return m_beeps; }
    // The next clipboard writes fail (as when another program holds the clipboard open).
    void SetClipboardRefuses(bool refuses) { m_clipboardRefuses = refuses; }
    // The texts of the messages shown, in order.
    std::vector<std::u16string> MessageTexts() const;
    // Forgets the queued answers and what was shown.
    void Clear();

    Answer ShowMessage(std::u16string_view text, Buttons buttons, Icon icon) override;
    Answer ShowTitledMessage(std::u16string_view caption, std::u16string_view text, Buttons buttons,
                             Icon icon) override;
    std::optional<std::u16string> PromptPassword(PasswordPrompt prompt) override;
    bool SetClipboardText(std::u16string_view text) override;
    void Beep(Icon icon) override { m_beeps.push_back(icon); }

private:
    std::deque<Answer> m_answers;
    std::deque<std::optional<std::u16string>> m_passwords;
    std::vector<Message> m_messages;
    std::vector<PasswordPrompt> m_prompts;
    std::optional<std::u16string> m_clipboard;
    std::vector<Icon> m_beeps;
    bool m_clipboardRefuses = false;
    IUserInterface* m_previous;
};

}  // namespace veltrix::ui
