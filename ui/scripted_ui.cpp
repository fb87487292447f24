#include "ui/scripted_ui.h"

#include <algorithm>

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

// Adds `prompt` to `list` (a member of `live`) until the prompt is destroyed.
template <class Prompt, class Live>
void Track(const std::shared_ptr<Live>& live, std::vector<Prompt*> Live::*list, Prompt* prompt) {
    ((*live).*list).push_back(prompt);
    prompt->SetOnDestroyed([live, list, prompt] {
        auto& prompts = (*live).*list;
        prompts.erase(std::remove(prompts.begin(), prompts.end(), prompt), prompts.end());
    });
}

}  // namespace

ScriptedUi::ScriptedUi() : previous_(&CurrentUi()) { SetCurrentUi(this); }

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
    saveReplies_.clear();
    saveDefaults_.clear();
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

void ScriptedUi::QueueSaveWebLogin(SaveWebLoginAnswer answer, std::optional<std::u16string> name) {
    saveReplies_.push_back({answer, std::move(name)});
}

MemoryFillIdentityPrompt* ScriptedUi::FillIdentityPrompt() const {
    return livePrompts_->identity.empty() ? nullptr : livePrompts_->identity.back();
}

MemoryFillWebLoginPrompt* ScriptedUi::FillWebLoginPrompt() const {
    return livePrompts_->webLogin.empty() ? nullptr : livePrompts_->webLogin.back();
}

std::unique_ptr<IFillIdentityPrompt> ScriptedUi::CreateFillIdentityPrompt(
    IFillIdentityPromptHandler& handler) {
    auto prompt = std::make_unique<MemoryFillIdentityPrompt>(handler);
    Track(livePrompts_, &LivePrompts::identity, prompt.get());
    return prompt;
}

std::unique_ptr<IFillWebLoginPrompt> ScriptedUi::CreateFillWebLoginPrompt(IPromptHandler& handler) {
    auto prompt = std::make_unique<MemoryFillWebLoginPrompt>(handler);
    Track(livePrompts_, &LivePrompts::webLogin, prompt.get());
    return prompt;
}

SaveWebLoginAnswer ScriptedUi::AskSaveWebLogin(std::u16string& name) {
    saveDefaults_.push_back(name);
    if (saveReplies_.empty()) {
        return SaveWebLoginAnswer::No;
    }
    SaveWebLoginReply reply = std::move(saveReplies_.front());
    saveReplies_.pop_front();
    if (reply.name) {
        name = std::move(*reply.name);
    }
    return reply.answer;
}

}  // namespace veltrix::ui
