#include "ui/scripted_ui.h"

namespace veltrix::ui {
namespace {

Answer DefaultAnswer(Buttons buttons) {
    switch (buttons) {
        case Buttons::Ok:
        case Buttons::OkCancel:
            return Answer::Ok;
        case Buttons::YesNo:
            return Answer::No;
        default:
            return Answer::Cancel;
    }
}

}  // namespace

ScriptedUi::ScriptedUi() : m_previous(&CurrentUi()) {
    SetCurrentUi(this);
}

ScriptedUi::~ScriptedUi() {
    if (&CurrentUi() == this) {
        SetCurrentUi(m_previous);
    }
}

std::vector<std::u16string> ScriptedUi::MessageTexts() const {
    std::vector<std::u16string> texts;
    for (const auto& message : m_messages) {
        texts.push_back(message.text);
    }
    return texts;
}

void ScriptedUi::Clear() {
    m_answers.clear();
    m_passwords.clear();
    m_messages.clear();
    m_prompts.clear();
    m_clipboard.reset();
    m_beeps.clear();
    m_clipboardRefuses = false;
}

bool ScriptedUi::SetClipboardText(std::u16string_view text) {
    if (m_clipboardRefuses) {
        return false;
    }
    m_clipboard = std::u16string(text);
    return true;
}

Answer ScriptedUi::ShowMessage(std::u16string_view text, Buttons buttons, Icon icon) {
    return ShowTitledMessage(kCaption, text, buttons, icon);
}

Answer ScriptedUi::ShowTitledMessage(std::u16string_view caption, std::u16string_view text,
                                     Buttons buttons, Icon icon) {
    m_messages.push_back({std::u16string(text), buttons, icon, std::u16string(caption)});
    if (m_answers.empty()) {
        return DefaultAnswer(buttons);
    }
    Answer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

std::optional<std::u16string> ScriptedUi::PromptPassword(PasswordPrompt prompt) {
    m_prompts.push_back(prompt);
    if (m_passwords.empty()) {
        return std::nullopt;
    }
    auto password = m_passwords.front();
    m_passwords.pop_front();
    return password;
}

}  // namespace veltrix::ui
