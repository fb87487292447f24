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

ScriptedUi::ScriptedUi() : previous_(&CurrentUi()) {
    SetCurrentUi(this);
}

ScriptedUi::~ScriptedUi() {
    if (&CurrentUi() == this) {
        SetCurrentUi(previous_);
    }
}

std::vector<std::u16string> ScriptedUi::MessageTexts() const {
    std::vector<std::u16string> texts;
    for (const auto& message : messages_) {
        texts.push_back(message.text);
    }
    return texts;
}

void ScriptedUi::Clear() {
    answers_.clear();
    passwords_.clear();
    messages_.clear();
    prompts_.clear();
}

Answer ScriptedUi::ShowMessage(std::u16string_view text, Buttons buttons, Icon icon) {
    messages_.push_back({std::u16string(text), buttons, icon});
    if (answers_.empty()) {
        return DefaultAnswer(buttons);
    }
    Answer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

std::optional<std::u16string> ScriptedUi::PromptPassword(PasswordPrompt prompt) {
    prompts_.push_back(prompt);
    if (passwords_.empty()) {
        return std::nullopt;
    }
    auto password = passwords_.front();
    passwords_.pop_front();
    return password;
}

}  // namespace veltrix::ui
